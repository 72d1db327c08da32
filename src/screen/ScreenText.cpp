// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/ScreenText.h"

#include "text/LanguageText.h"

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

}  // namespace zephyl
