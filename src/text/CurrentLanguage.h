// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <set>

namespace zephyl {

/// The language every model and message is guaranteed to have.
inline constexpr int kEnglishLanguageId = 1033;

/// The language of this run: set at start-up and when the user picks another, read by every
/// text look-up on any thread.
int CurrentLanguageId();
void SetCurrentLanguageId(int languageId);

/// The languages config.xml ships a language file for.
std::set<int> LanguageSet();
void SetLanguageSet(const std::set<int>& languages);

}  // namespace zephyl
