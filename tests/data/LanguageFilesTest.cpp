// SPDX-License-Identifier: GPL-2.0-or-later
// Every text the windows show is an entry of a language file; a missing entry shows as an empty
// caption and nothing reports it. These tests hold every shipped language file against the list
// of texts the program asks for.
#include "text/LanguageText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

const fs::path kLanguageFolder = fs::path(ZEPHYL_SOURCE_DATA_DIR) / "language";

struct IdRange {
    int first;
    int last;
};

// Keys of section KB.DIALOG that the program reads.
constexpr IdRange kUsedTextIds[] = {
    {1, 3},       {5, 5},       {10, 11},     {20, 20},     {22, 23},     {25, 33},     {36, 36},
    {50, 58},     {63, 63},     {65, 65},     {70, 71},     {78, 78},     {80, 83},     {85, 85},
    {101, 115},   {117, 118},   {120, 120},   {140, 145},   {149, 153},   {156, 157},   {160, 162},
    {165, 168},   {170, 172},   {175, 175},   {180, 183},   {185, 186},   {201, 213},   {218, 218},
    {220, 220},   {222, 228},   {230, 238},   {241, 247},   {251, 255},   {270, 279},   {290, 291},
    {293, 298},   {300, 312},   {316, 323},   {326, 327},   {329, 329},   {331, 331},   {335, 337},
    {340, 342},   {360, 362},   {369, 378},   {385, 386},   {521, 540},   {600, 624},   {660, 670},
    {801, 806},   {808, 822},   {825, 827},   {830, 831},   {834, 837},   {846, 847},   {850, 852},
    {860, 862},   {865, 867},   {870, 876},   {885, 885},   {888, 888},   {890, 897},   {900, 905},
    {910, 918},   {920, 921},   {930, 932},   {940, 951},   {960, 964},   {980, 982},   {990, 994},
    {1000, 1004}, {1020, 1023}, {1040, 1053}, {1060, 1065}, {1080, 1091}, {1100, 1102},
};

// The upload progress text is a format that receives the percentage.
constexpr int kProgressFormatText = 890;

std::set<int> UsedTextIds() {
    std::set<int> ids;
    for (const IdRange& range : kUsedTextIds) {
        for (int id = range.first; id <= range.last; ++id) {
            ids.insert(id);
        }
    }
    return ids;
}

std::vector<fs::path> LanguageFiles() {
    std::vector<fs::path> files;
    if (fs::is_directory(kLanguageFolder)) {
        for (const auto& entry : fs::directory_iterator(kLanguageFolder)) {
            if (entry.is_regular_file() && entry.path().extension() == ".lan") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::size_t CharacterCount(const std::string& utf8) {
    return std::count_if(utf8.begin(), utf8.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

TEST(LanguageFiles, TheTwoLanguagesOfTheSettingsPageAreShipped) {
    for (int language : {1033, 1049}) {
        EXPECT_TRUE(fs::is_regular_file(kLanguageFolder / (std::to_string(language) + ".lan")))
            << language;
    }
}

struct DefaultName {
    int language;
    int textId;
    const char* text;
};

// New profiles, lighting sets, music layers and macros are stored under these words; the lists
// recognise them again only when the language file gives exactly the same words.
constexpr DefaultName kDefaultNames[] = {
    {1033, 65, "My Config"},           {1033, 78, "Custom Light"},
    {1033, 101, "New Music Effect"},   {1033, 331, "New Macro"},
    {1033, 369, "Real-time Lighting"}, {1049, 65, "Моя конфигурация"},
    {1049, 78, "Польз. подсветка"},    {1049, 101, "Новый муз. эффект"},
    {1049, 331, "Новый макрос"},       {1049, 369, "Подсветка в наст. времени"},
    {2052, 65, "我的专属配置"},        {2052, 78, "自定义灯光"},
    {2052, 101, "新音乐灯效"},         {2052, 331, "新建宏"},
    {2052, 369, "实时灯效"},
};

TEST(LanguageFiles, DefaultNamesAreTheStoredNames) {
    for (const DefaultName& name : kDefaultNames) {
        const fs::path file = kLanguageFolder / (std::to_string(name.language) + ".lan");
        EXPECT_EQ(ReadLanguageEntry(file.string(), kDialogSection, name.textId), name.text)
            << file.filename() << " text " << name.textId;
    }
}

class LanguageFile : public testing::TestWithParam<fs::path> {
protected:
    std::string Entry(int key) const {
        return ReadLanguageEntry(GetParam().string(), kDialogSection, key);
    }
};

TEST_P(LanguageFile, EveryTextTheProgramShowsIsThere) {
    for (int id : UsedTextIds()) {
        const std::string text = Entry(id);
        EXPECT_FALSE(text.empty()) << "text " << id << " is missing";
        // The reader cuts values at the limit; a value that reaches it has lost its end.
        EXPECT_LT(CharacterCount(text), kLanguageValueLimit) << "text " << id << " is too long";
    }
    EXPECT_FALSE(ReadLanguageEntry(GetParam().string(), kCaptionSection, 1).empty())
        << "window caption missing";
}

TEST_P(LanguageFile, ProgressTextTakesExactlyOnePercentage) {
    const std::string text = Entry(kProgressFormatText);
    int numbers = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        ASSERT_LT(i + 1, text.size()) << "lone % at the end of \"" << text << "\"";
        if (text[i + 1] == 'd') {
            ++numbers;
        } else {
            EXPECT_EQ(text[i + 1], '%') << "conversion other than %d in \"" << text << "\"";
        }
        ++i;
    }
    EXPECT_EQ(numbers, 1) << "\"" << text << "\"";
}

// The codes of every key of the shipped layouts: the keys that the key-name section may name.
std::set<int> LayoutKeyCodes() {
    std::set<int> codes;
    for (const auto& entry : fs::directory_iterator(fs::path(ZEPHYL_SOURCE_DATA_DIR) / "layouts")) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        for (std::size_t at = text.find("<key code=\""); at != std::string::npos;
             at = text.find("<key code=\"", at + 1)) {
            codes.insert(std::stoi(text.substr(at + 11, 4), nullptr, 16));
        }
    }
    return codes;
}

// The reader takes the first of two equal keys and ignores text it cannot place, so such slips
// are found only by looking at the file itself.
TEST_P(LanguageFile, HoldsOnlyKnownKeysOnceEach) {
    std::ifstream in(GetParam(), std::ios::binary);
    ASSERT_TRUE(in);
    const std::set<int> used = UsedTextIds();
    const std::set<int> caption = {1};
    const std::set<int> keyCodes = LayoutKeyCodes();
    ASSERT_FALSE(keyCodes.empty());
    std::map<std::string, std::set<int>> seen;
    std::string section;
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        SCOPED_TRACE("line " + std::to_string(lineNumber));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        EXPECT_TRUE(IsValidUtf8(line)) << "not UTF-8";
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            EXPECT_TRUE(section == kDialogSection || section == kCaptionSection ||
                        section == kKeyDescriptionSection)
                << "unknown section " << line;
            continue;
        }
        const auto equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const bool decimal =
            equals != std::string::npos && !key.empty() && key.front() != '0' &&
            std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isdigit(c); });
        ASSERT_TRUE(decimal) << "expected <number>=<text>: " << line;
        const int id = std::stoi(key);
        const std::set<int>& known = section == kCaptionSection          ? caption
                                     : section == kKeyDescriptionSection ? keyCodes
                                                                         : used;
        EXPECT_TRUE(known.count(id))
            << "key " << id << " of [" << section << "] is not read by the program";
        EXPECT_TRUE(seen[section].insert(id).second) << "key " << id << " appears twice";
    }
}

std::string TestName(const testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.stem().string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFile, testing::ValuesIn(LanguageFiles()), TestName);

}  // namespace
}  // namespace zephyl
