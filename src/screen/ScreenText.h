// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// Language texts of the screen's own messages.
enum ScreenText : int {
    kTextNotAPicture = 930,    ///< "%s": the file that is no picture
    kTextUploadNothing = 931,  ///< the selected animation has no frames
    kTextGifNotWritten = 932,  ///< "%s": the GIF file that could not be written
    /// "%s": the file, then the budget's five numbers (picture megapixels, GIF frames, GIF
    /// megapixels, GIF megapixels in all, file megabytes)
    kTextPictureOverBudget = 1000,
    kTextNotARegularFile = 1001,   ///< "%s": the folder, FIFO or device named as a picture
    kTextClockYearNotKept = 1100,  ///< "%s": a year the keyboard's clock cannot hold
};

/// The text in the current language with `argument` in place of "%s"; English when the
/// language file lacks it.
std::string ScreenMessage(int textId, const std::string& argument = {});

/// What to tell the user of `file`, refused by the picture decoder with `error`: the budget when
/// it was over it, else that it is no picture or no regular file.
std::string ScreenPictureMessage(const std::string& file, const std::string& error);

}  // namespace zephyl
