// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/CommandFailures.h"

#include "text/LanguageText.h"

namespace zephyl {
namespace {

const char* EnglishText(int textId) {
    switch (textId) {
        case kTextKeyboardRefused:
            return "The keyboard did not take the change. It is kept and sent with the next "
                   "write.";
        case kTextNoKeyboardReady:
            return "No keyboard is ready. The change is kept and sent when the keyboard is "
                   "connected.";
        case kTextMacrosTooLarge:
            return "The macros are %d steps too large for the keyboard's macro memory; nothing "
                   "was sent.";
        case kTextModelNotConnected:
            return "The %s is not connected. The change is kept and sent when it is connected.";
        case kTextKeyboardRefusedTryAgain:
            return "The keyboard did not take the change. Try again.";
        case kTextKeyboardGoneTryAgain:
            return "The keyboard could no longer be reached during the transfer. Connect it "
                   "again and try again.";
        case kTextDatabaseBusy:
            return "The profile database is in use by another program; nothing was changed. "
                   "Try again in a moment.";
        default:
            return "";
    }
}

}  // namespace

std::string FailureMessage(int textId, int count, const std::string& name) {
    std::string message = LanguageText(textId);
    if (message.empty()) {
        message = EnglishText(textId);
    }
    if (const auto at = message.find("%d"); at != std::string::npos) {
        message.replace(at, 2, std::to_string(count));
    }
    if (const auto at = message.find("%s"); at != std::string::npos) {
        message.replace(at, 2, name);
    }
    return message;
}

}  // namespace zephyl
