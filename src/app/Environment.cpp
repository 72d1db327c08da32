// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Environment.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "xml/XmlDocument.h"

#include <cstdlib>
#include <utility>

namespace zephyl {
namespace {

struct LocaleLanguage {
    const char* prefix;  // language, or language_REGION
    int languageId;
};

// Longest prefixes first: regional rows win over the plain language row.
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"zh_TW", 1028}, {"zh_HK", 1028}, {"zh_MO", 1028}, {"zh_CN", 2052}, {"zh_SG", 2052},
    {"pt_BR", 1046}, {"en_GB", 1033}, {"zh", 2052},    {"en", 1033},    {"ru", 1049},
    {"de", 1031},    {"fr", 1036},    {"ja", 1041},    {"ko", 1042},    {"es", 3082},
    {"it", 1040},    {"pt", 2070},    {"pl", 1045},    {"uk", 1058},    {"nl", 1043},
    {"tr", 1055},    {"cs", 1029},    {"sv", 1053},    {"C", 1033},     {"POSIX", 1033},
};

bool LocaleMatches(const std::string& locale, const std::string& prefix) {
    if (locale.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    // "zh" must not match "zhx", and "en_GB" must end at the region.
    if (locale.size() == prefix.size()) {
        return true;
    }
    const char next = locale[prefix.size()];
    return next == '_' || next == '.' || next == '@' || next == '-';
}

}  // namespace

StartupConfig ReadConfig(const std::string& configPath) {
    StartupConfig config;
    XmlDocument document;
    if (!document.Load(configPath) || !document.FindElement("config")) {
        return config;
    }
    config.loaded = true;
    document.EnterElement();
    if (document.FindElement("language.info")) {
        config.hasLanguageInfo = true;
        config.provisionalLanguageId = ParseDecimal(document.GetAttribute("default_lan"));
        document.EnterElement();
        while (document.FindElement("lan")) {
            config.languageSet.insert(ParseDecimal(document.GetAttribute("value")));
        }
        document.LeaveElement();
    }
    if (document.FindElement("software")) {
        config.softwareName = document.GetAttribute("name");
    }
    return config;
}

std::string DataFolder() {
    return UserDataHome() + "/" + SafeFileComponent(SoftwareName()) + " Files/";
}

int LanguageIdFromLocale(const std::string& locale) {
    for (const auto& row : kLocaleLanguages) {
        if (LocaleMatches(locale, row.prefix)) {
            return row.languageId;
        }
    }
    return 0;
}

int UserInterfaceLanguageId() {
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') {
            continue;
        }
        std::string locale = value;
        // LANGUAGE is a colon-separated preference list; its first entry is what the user wants.
        locale = locale.substr(0, locale.find(':'));
        if (const int id = LanguageIdFromLocale(locale); id != 0) {
            return id;
        }
    }
    return kEnglishLanguageId;
}

int ChooseLanguage(const std::set<int>& languageSet, const SettingsStore& store,
                   int userInterfaceLanguageId) {
    int languageId = 0;
    switch (store.OpenOrCreate()) {
        case SettingsStore::OpenResult::kOpened:
            languageId = store.ReadInt("LCID");
            break;
        case SettingsStore::OpenResult::kCreated:
            languageId = 0;
            break;
        case SettingsStore::OpenResult::kFailed:
            languageId = kFallbackLanguageId;
            break;
    }
    if (languageId == 0) {
        languageId = userInterfaceLanguageId;
        store.WriteInt("LCID", languageSet.contains(languageId) ? languageId : kEnglishLanguageId);
    }
    // An id that is no longer shipped serves this run; the next start falls back to English.
    if (!languageSet.contains(languageId)) {
        store.WriteInt("LCID", kEnglishLanguageId);
    }
    return languageId;
}

void PrepareDataFolder(const std::string& dataFolder) {
    CreatePrivateDirectory(dataFolder);
    CreateDirectoryPath(dataFolder + "db");
    DeleteTree(dataFolder + "edit");
    CreateDirectoryPath(dataFolder + "edit");
    CreateDirectoryPath(dataFolder + "default_led");
}

}  // namespace zephyl
