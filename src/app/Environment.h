// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The software name, skin folder and language of this run live in the layers below, where the
// control library and the language texts read them; they stay reachable through this header.
#include "platform/SoftwareIdentity.h"
#include "text/CurrentLanguage.h"

#include <set>
#include <string>

namespace zephyl {

class SettingsStore;

/// The language used when the settings store cannot be opened at all.
inline constexpr int kFallbackLanguageId = 2052;

/// The start-up subset of config.xml.
struct StartupConfig {
    bool loaded = false;            ///< the file was read and has the root `config`
    std::set<int> languageSet;      ///< languages with a shipped language file
    int provisionalLanguageId = 0;  ///< `default_lan`, until the language choice
    bool hasLanguageInfo = false;
    std::string softwareName;  ///< empty when `software` was not seen
};

/// Reads `language.info` and `software/@name`, searching the children of `config` forward in
/// document order, so a `software` element placed before `language.info` is not seen.
StartupConfig ReadConfig(const std::string& configPath);

/// "<user data home>/<software name> Files/", computed afresh on every call.
std::string DataFolder();

/// The user's interface language as a language id, from LANGUAGE, LC_ALL, LC_MESSAGES and LANG
/// in that order; 1033 when nothing usable is set.
int UserInterfaceLanguageId();

/// Maps a locale name such as "ru_RU.UTF-8" or "zh_TW" to a language id; 0 when unknown.
int LanguageIdFromLocale(const std::string& locale);

/// Fixes the language of this run from the stored `LCID`, the user's interface language and the
/// languages shipped, and stores the choice for the next start. Returns the id of this run.
int ChooseLanguage(const std::set<int>& languageSet, const SettingsStore& store,
                   int userInterfaceLanguageId);

/// Creates `db`, empties and recreates `edit`, creates `default_led` below the data folder.
void PrepareDataFolder(const std::string& dataFolder);

}  // namespace zephyl
