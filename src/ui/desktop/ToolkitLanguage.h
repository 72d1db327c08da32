// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace zephyl {

/// The name of the toolkit's translation for language id `languageId` ("ru", "zh_CN"); empty
/// for English and for languages the toolkit is not asked about.
QString ToolkitLocaleName(int languageId);

/// Puts the toolkit's own texts (the file choosers' buttons and labels, the fields' context
/// menus) into language `languageId`, replacing the language given before: the system's Qt
/// translations for it are loaded, or none for English. Window thread. True when a translation
/// is in force afterwards; false for English, and where the system has no translation for the
/// language (its texts stay English, as before).
bool UseToolkitLanguage(int languageId);

}  // namespace zephyl
