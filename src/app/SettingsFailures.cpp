// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/SettingsFailures.h"

#include "text/LanguageText.h"

namespace zephyl {
namespace {

const char* EnglishText(int textId) {
    switch (textId) {
        case kTextSettingsUnreadable:
            return "The settings file %s cannot be read; it was left as it is.";
        case kTextSettingsReadOnly:
            return "The settings file %s, or its folder, is read-only.";
        case kTextSettingsNotAFile:
            return "The settings file %s is not a plain file.";
        case kTextSettingsDanglingLink:
            return "The settings file %s is a link to %s, which does not exist.";
        case kTextSettingsCannotWrite:
            return "The settings file %s cannot be written.";
        case kTextDefaultsNotRestored:
            return "The defaults were not restored: %s";
        case kTextModelNotRemembered:
            return "The keyboard model was not remembered for the next start: %s";
        default:
            return "";
    }
}

}  // namespace

std::string SettingsFailureMessage(int textId, std::initializer_list<std::string> values) {
    std::string message = LanguageText(textId);
    if (message.empty()) {
        message = EnglishText(textId);
    }
    std::size_t at = 0;
    for (const std::string& value : values) {
        at = message.find("%s", at);
        if (at == std::string::npos) {
            break;
        }
        message.replace(at, 2, value);
        at += value.size();
    }
    return message;
}

std::string SettingsWriteMessage(const SettingsWriteResult& result) {
    switch (result.error) {
        case SettingsWriteError::kNone:
            return {};
        case SettingsWriteError::kUnreadable:
            return SettingsFailureMessage(kTextSettingsUnreadable, {result.path});
        case SettingsWriteError::kReadOnly:
            return SettingsFailureMessage(kTextSettingsReadOnly, {result.path});
        case SettingsWriteError::kNotAFile:
            return SettingsFailureMessage(kTextSettingsNotAFile, {result.path});
        case SettingsWriteError::kDanglingLink:
            return SettingsFailureMessage(kTextSettingsDanglingLink,
                                          {result.path, result.linkTarget});
        case SettingsWriteError::kCannotWrite:
            break;
    }
    return SettingsFailureMessage(kTextSettingsCannotWrite, {result.path});
}

}  // namespace zephyl
