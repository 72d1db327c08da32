// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// Language texts of the screen's own messages.
enum ScreenText : int {
    kTextNotAPicture = 930,        ///< "%s": the file that is no picture
    kTextUploadNothing = 931,      ///< the selected animation has no frames
    kTextGifNotWritten = 932,      ///< "%s": the GIF file that could not be written
    kTextClockYearNotKept = 1100,  ///< "%s": a year the keyboard's clock cannot hold
};

/// The text in the current language with `argument` in place of "%s"; English when the
/// language file lacks it.
std::string ScreenMessage(int textId, const std::string& argument = {});

}  // namespace zephyl
