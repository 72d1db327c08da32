// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/Startup.h"

#include "platform/Log.h"
#include "platform/SettingsStore.h"

#include <filesystem>

namespace zephyl {
namespace {

bool LanguageFileExists(const std::string& resourceFolder, int languageId) {
    std::error_code error;
    return std::filesystem::is_regular_file(
        resourceFolder + "language/" + std::to_string(languageId) + ".lan", error);
}

}  // namespace

StartupResult Startup(const std::string& resourceFolder, bool quitRequested) {
    StartupResult result;
    result.config = ReadConfig(resourceFolder + "config.xml");
    SetLanguageSet(result.config.languageSet);
    SetCurrentLanguageId(result.config.provisionalLanguageId);
    if (!result.config.softwareName.empty()) {
        SetSoftwareName(result.config.softwareName);
    }

    auto instance = std::make_unique<SingleInstance>(QString::fromStdString(SoftwareName()));
    if (!instance->TryAcquire()) {
        const char* message =
            quitRequested ? SingleInstance::kExitMessage : SingleInstance::kShowMessage;
        instance->SendToRunning(QString::fromLatin1(message));
        result.outcome = quitRequested ? StartupOutcome::kQuitSent : StartupOutcome::kOtherInstance;
        return result;
    }
    if (quitRequested) {
        result.outcome = StartupOutcome::kQuitNothingRunning;
        return result;
    }

    LogSetup(kLogWarning, "KBLog");
    SettingsStore store(SoftwareName());
    if (store.Refused()) {
        Log(kLogWarning, "%s is not a regular file or is over 1 MB: left as it is, not used",
            store.Path().c_str());
    }
    int languageId = ChooseLanguage(result.config.languageSet, store, UserInterfaceLanguageId());
    // A language without a file would leave every caption empty; such a run speaks English.
    if (!LanguageFileExists(resourceFolder, languageId)) {
        Log(kLogWarning, "no language file for %d, using %d", languageId, kEnglishLanguageId);
        languageId = kEnglishLanguageId;
    }
    SetCurrentLanguageId(languageId);
    result.languageId = languageId;

    PrepareDataFolder(DataFolder());
    result.instance = std::move(instance);
    return result;
}

}  // namespace zephyl
