// SPDX-License-Identifier: GPL-2.0-or-later
// Language texts and the window style shared by the small dialogs.
#pragma once

#include "glint/Types.h"
#include "text/LanguageText.h"

#include <QString>

namespace zephyl {

/// Entry `id` of section "KB.DIALOG" in the current language.
inline QString DialogText(int id) {
    return QString::fromStdString(LanguageText(id));
}

/// The dialogs' window style without the visible bit: a dialog is centred before it is first
/// shown, so it never flashes at the corner of the screen.
inline constexpr unsigned kDialogCreateStyle = glint::kStyleDialog & ~glint::kStyleVisible;

}  // namespace zephyl
