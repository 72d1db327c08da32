// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/ScreenText.h"

#include "screen/Picture.h"
#include "text/LanguageText.h"

#include <cstdint>

namespace zephyl {
namespace {

const char* EnglishText(int textId) {
    switch (textId) {
        case kTextNotAPicture:
            return "%s is not a picture this program can read; nothing was changed.";
        case kTextUploadNothing:
            return "The animation has no frames to send.";
        case kTextGifNotWritten:
            return "The GIF file %s could not be written.";
        case kTextPictureOverBudget:
            return "%s is too large for the keyboard's screen: a picture may have at most %d "
                   "megapixels, a GIF at most %d frames of %d megapixels and %d megapixels in "
                   "all, a file at most %d MB. Nothing was changed.";
        case kTextNotARegularFile:
            return "%s is not a regular file; nothing was changed.";
        case kTextClockYearNotKept:
            return "The keyboard's clock holds the years 2000 to 2099, not %s; the clock was not "
                   "set.";
        default:
            return "";
    }
}

}  // namespace

std::string ScreenMessage(int textId, const std::string& argument) {
    std::string message = LanguageText(textId);
    if (message.empty()) {
        message = EnglishText(textId);
    }
    if (const auto at = message.find("%s"); at != std::string::npos) {
        message.replace(at, 2, argument);
    }
    return message;
}

std::string ScreenPictureMessage(const std::string& file, const std::string& error) {
    if (error.rfind(kPictureNotRegularFile, 0) == 0) {
        return ScreenMessage(kTextNotARegularFile, file);
    }
    if (error.rfind(kPictureOverBudget, 0) != 0) {
        return ScreenMessage(kTextNotAPicture, file);
    }
    std::string message = ScreenMessage(kTextPictureOverBudget, file);
    constexpr std::uint64_t kMega = 1024 * 1024;
    for (const std::uint64_t number :
         {kMostPicturePixels / kMega, static_cast<std::uint64_t>(kMostGifFrames),
          kMostGifCanvasPixels / kMega, kMostGifPixels / kMega,
          static_cast<std::uint64_t>(kMostPictureFileBytes / kMega)}) {
        const auto at = message.find("%d");
        if (at == std::string::npos) {
            break;
        }
        message.replace(at, 2, std::to_string(number));
    }
    return message;
}

}  // namespace zephyl
