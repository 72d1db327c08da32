// SPDX-License-Identifier: GPL-2.0-or-later
#include "KeysTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <map>

namespace zephyl::test {

DatabaseTest::DatabaseTest() {
    std::filesystem::create_directories(m_environment.DataHome() / "db");
    EXPECT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K1"));
}

std::string DatabaseTest::DataFolder() const {
    return m_environment.DataHome().string() + "/";
}

TextSource EnglishTexts() {
    static const std::map<int, std::string> texts = {
        {65, "My Config"}, {202, "Disable key"}, {331, "New Macro"}};
    return [](int entry) {
        auto found = texts.find(entry);
        return found == texts.end() ? std::string() : found->second;
    };
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (uint8_t byte : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, "%02X", byte);
        if (!text.empty()) {
            text += ' ';
        }
        text += part;
    }
    return text;
}

}  // namespace zephyl::test
