// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/ToolkitLanguage.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace zephyl {
namespace {

struct LocaleOfLanguage {
    int languageId;
    const char* locale;
};

// The languages whose files the program ships, and the two Chinese scripts a config.xml may
// name besides.
constexpr LocaleOfLanguage kLocales[] = {
    {1049, "ru"},
    {2052, "zh_CN"},
    {1028, "zh_TW"},
};

/// The translation in force and the language it is for; window thread.
struct Installed {
    std::unique_ptr<QTranslator> translator;
    int languageId = 0;
};

Installed& Current() {
    static Installed installed;
    return installed;
}

}  // namespace

QString ToolkitLocaleName(int languageId) {
    for (const LocaleOfLanguage& entry : kLocales) {
        if (entry.languageId == languageId) {
            return QString::fromLatin1(entry.locale);
        }
    }
    return {};
}

bool UseToolkitLanguage(int languageId) {
    Installed& installed = Current();
    if (installed.languageId == languageId) {
        return installed.translator != nullptr;
    }
    if (installed.translator) {
        QCoreApplication::removeTranslator(installed.translator.get());
        installed.translator.reset();
    }
    installed.languageId = languageId;
    const QString locale = ToolkitLocaleName(languageId);
    if (locale.isEmpty()) {
        return false;
    }
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // The base module holds the texts of the dialogs and widgets the program uses.
    if (!translator->load(QStringLiteral("qtbase_") + locale, folder)) {
        Log(kLogInfo, "no toolkit translation %s in %s", qPrintable(locale), qPrintable(folder));
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    installed.translator = std::move(translator);
    return true;
}

}  // namespace zephyl
