// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/KeyboardSettings.h"

#include <cctype>
#include <cstdio>

namespace zephyl {

std::string FirmwareReleaseDigits(int releaseNumber) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(releaseNumber) & 0xFFFFu);
    return digits;
}

namespace {

// Reads digit text place by place in base 16, so that decimal digit strings keep their order
// and hexadecimal letters rank above 9. Anything after the digits is ignored; no digits gives -1.
long long PlaceValue(const std::string& text) {
    long long value = -1;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            break;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        value = (value < 0 ? 0 : value) * 16 + digit;
        if (value > (1LL << 40)) {
            break;
        }
    }
    return value;
}

}  // namespace

bool IsNewerFirmware(int keyboardReleaseNumber, const std::string& layoutVersion) {
    std::size_t start = 0;
    while (start < layoutVersion.size() &&
           std::isspace(static_cast<unsigned char>(layoutVersion[start]))) {
        ++start;
    }
    // Only decimal digits make a firmware version; a text without them offers nothing.
    if (start >= layoutVersion.size() ||
        !std::isdigit(static_cast<unsigned char>(layoutVersion[start]))) {
        return false;
    }
    std::string decimal;
    for (std::size_t i = start;
         i < layoutVersion.size() && std::isdigit(static_cast<unsigned char>(layoutVersion[i]));
         ++i) {
        decimal.push_back(layoutVersion[i]);
    }
    return PlaceValue(FirmwareReleaseDigits(keyboardReleaseNumber)) < PlaceValue(decimal);
}

}  // namespace zephyl
