// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ConfigValues.h"

#include "store/ProfileDatabase.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace zephyl {

std::string DefaultColorKey(int n) {
    return "default_color" + std::to_string(n);
}

int ParseConfigNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return 0;
    }
    return static_cast<int>(value);
}

int ReadConfigNumber(ProfileDatabase& database, const std::string& key) {
    std::string value;
    database.GetConfigValue(kSettingsProfile, key, value);
    return ParseConfigNumber(value);
}

bool ReadConfigFlag(ProfileDatabase& database, const std::string& key) {
    std::string value;
    return database.GetConfigValue(kSettingsProfile, key, value) && value == "1";
}

bool WriteConfigNumber(ProfileDatabase& database, const std::string& key, int value) {
    return database.SetConfigValue(kSettingsProfile, key, std::to_string(value));
}

}  // namespace zephyl
