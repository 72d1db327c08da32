// SPDX-License-Identifier: GPL-2.0-or-later
// The keyboard models are data: config.xml and one layout file per model. The program reads them
// without complaint whatever they hold, so a slip in a file (a key index used twice, a matrix
// position beyond the table, an interface pattern in lower case) only shows as a keyboard that
// misbehaves. These tests read every shipped file the way the program does and refuse such slips.
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

const fs::path kDataFolder = ZEPHYL_SOURCE_DATA_DIR;

constexpr int kMatrixRows = 8;
constexpr int kMatrixColumns = 32;
// Key table slots 0..143; the table's trailer overlays slot 143 and slot 0 means "no index".
constexpr int kLastKeySlot = 142;
// Lights that fit before the trailer of a user-lighting block.
constexpr int kLastRgbLight = 142;
constexpr int kLastSingleColourLight = 189;
// A streamed RGB frame carries at most this many keys.
constexpr int kMaxStreamedRgbKeys = 128;
constexpr int kLastLightingEffect = 19;
constexpr int kFnKeyCode = 0xAF;

std::optional<long> ParseDigits(const std::string& text, int base, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    long value = 0;
    for (unsigned char c : text) {
        int digit = -1;
        if (std::isdigit(c)) {
            digit = c - '0';
        } else if (base == 16 && std::isxdigit(c)) {
            digit = std::toupper(c) - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return value;
}

std::optional<long> Decimal(const std::string& text) {
    return ParseDigits(text, 10, 9);
}
std::optional<long> Hex(const std::string& text, std::size_t maxDigits) {
    return ParseDigits(text, 16, maxDigits);
}

bool IsFlag(const std::string& text) {
    return text == "0" || text == "1";
}

// ---------------------------------------------------------------------------------------------
// config.xml

struct Mode {
    std::string value;
    std::string vid;
    std::string pid;
    std::string productName;
    std::string hidInterface;
};

struct Model {
    std::string name;
    std::string deviceType;
    std::string layout;
    std::string connectedPicture;
    std::string disconnectedPicture;
    std::vector<Mode> modes;
};

struct Config {
    bool loaded = false;
    // Sections found in the order the program looks for them.
    bool deviceInfo = false;
    bool languageInfo = false;
    bool software = false;
    std::vector<std::string> softwareChildrenFound;
    std::vector<Model> models;
    std::string defaultLanguage;
    std::vector<std::string> languages;
    std::string softwareName;
    std::string version;
};

Config ReadConfig() {
    Config config;
    XmlDocument xml;
    if (!xml.Load((kDataFolder / "config.xml").string()) || !xml.FindElement("config")) {
        return config;
    }
    config.loaded = true;
    xml.EnterElement();
    config.deviceInfo = xml.FindElement("device.info");
    if (config.deviceInfo) {
        xml.EnterElement();
        while (xml.FindElement("keyboard")) {
            Model model{xml.GetAttribute("name"),
                        xml.GetAttribute("device_type"),
                        xml.GetAttribute("device_info"),
                        xml.GetAttribute("img_connected"),
                        xml.GetAttribute("img_disconnected"),
                        {}};
            xml.EnterElement();
            while (xml.FindElement("mode")) {
                model.modes.push_back({xml.GetAttribute("value"), xml.GetAttribute("vid"),
                                       xml.GetAttribute("pid"), xml.GetAttribute("product_name"),
                                       xml.GetAttribute("hid_interface")});
            }
            xml.LeaveElement();
            config.models.push_back(model);
        }
        xml.LeaveElement();
    }
    config.languageInfo = xml.FindElement("language.info");
    if (config.languageInfo) {
        config.defaultLanguage = xml.GetAttribute("default_lan");
        xml.EnterElement();
        while (xml.FindElement("lan")) {
            config.languages.push_back(xml.GetAttribute("value"));
        }
        xml.LeaveElement();
    }
    config.software = xml.FindElement("software");
    if (config.software) {
        config.softwareName = xml.GetAttribute("name");
        config.version = xml.GetAttribute("version");
        xml.EnterElement();
        for (std::string_view child : {"website", "store", "upgrade", "copyright"}) {
            const std::string_view attribute = child == "copyright" ? "info" : "url";
            if (xml.FindElement(child) && !xml.GetAttribute(attribute).empty()) {
                config.softwareChildrenFound.emplace_back(child);
            }
        }
    }
    return config;
}

TEST(ConfigFile, SectionsStandInTheOrderTheyAreRead) {
    const Config config = ReadConfig();
    ASSERT_TRUE(config.loaded) << "config.xml must load and have the root element config";
    EXPECT_TRUE(config.deviceInfo);
    EXPECT_TRUE(config.languageInfo) << "language.info must follow device.info";
    EXPECT_TRUE(config.software) << "software must follow language.info";
    EXPECT_EQ(config.softwareChildrenFound,
              (std::vector<std::string>{"website", "store", "upgrade", "copyright"}))
        << "software holds website, store, upgrade and copyright in this order, none empty";
    EXPECT_FALSE(config.softwareName.empty()) << "the software name names the data folders";
    EXPECT_FALSE(config.version.empty());
}

TEST(ConfigFile, EveryLanguageHasItsFile) {
    const Config config = ReadConfig();
    ASSERT_FALSE(config.languages.empty());
    EXPECT_NE(std::find(config.languages.begin(), config.languages.end(), config.defaultLanguage),
              config.languages.end())
        << "default language " << config.defaultLanguage << " is not offered";
    for (const std::string& language : config.languages) {
        EXPECT_TRUE(Decimal(language).has_value()) << language;
        EXPECT_TRUE(fs::is_regular_file(kDataFolder / "language" / (language + ".lan")))
            << "no language file for " << language;
    }
}

TEST(ConfigFile, ModelsAreDistinct) {
    const Config config = ReadConfig();
    ASSERT_FALSE(config.models.empty());
    std::set<long> types;
    std::set<std::string> names;
    std::set<std::string> layouts;
    for (const Model& model : config.models) {
        SCOPED_TRACE(model.name);
        const auto type = Decimal(model.deviceType);
        // Ids below 100 stand for "no model" to the program.
        EXPECT_TRUE(type && *type >= 100) << "device_type " << model.deviceType;
        EXPECT_TRUE(types.insert(type.value_or(-1)).second) << "device_type used twice";
        // The name also names the model's profile database and screen folders.
        EXPECT_FALSE(model.name.empty());
        EXPECT_TRUE(names.insert(model.name).second) << "name used twice";
        EXPECT_TRUE(layouts.insert(model.layout).second) << "layout shared by two models";
        EXPECT_FALSE(model.connectedPicture.empty());
        EXPECT_FALSE(model.disconnectedPicture.empty());
        EXPECT_FALSE(model.modes.empty()) << "a model without modes is never found";
    }
}

TEST(ConfigFile, EveryInterfaceBelongsToOneModelAndMode) {
    const Config config = ReadConfig();
    std::set<std::tuple<long, long, long>> vidPidModes;
    // (vid, pid) -> product names seen; lookups take the first row that matches.
    std::map<std::pair<long, long>, std::vector<std::string>> products;
    for (const Model& model : config.models) {
        std::set<long> modesOfModel;
        for (const Mode& mode : model.modes) {
            SCOPED_TRACE(model.name + " mode " + mode.value);
            const auto value = Decimal(mode.value);
            EXPECT_TRUE(value && *value >= 0 && *value <= 2) << "mode must be 0, 1 or 2";
            EXPECT_TRUE(modesOfModel.insert(value.value_or(-1)).second) << "mode listed twice";
            const auto vid = Hex(mode.vid, 4);
            const auto pid = Hex(mode.pid, 4);
            ASSERT_TRUE(vid && *vid != 0) << "vid " << mode.vid;
            ASSERT_TRUE(pid && *pid != 0) << "pid " << mode.pid;
            EXPECT_TRUE(vidPidModes.emplace(*vid, *pid, value.value_or(-1)).second)
                << "vid, pid and mode already declared";
            auto& names = products[{*vid, *pid}];
            for (const std::string& earlier : names) {
                EXPECT_FALSE(earlier.empty() || mode.productName.empty() ||
                             earlier == mode.productName)
                    << "an earlier row with the same vid and pid takes this interface";
            }
            names.push_back(mode.productName);

            // Plug notifications are matched against the upper-cased interface path.
            std::string upper = mode.hidInterface;
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](unsigned char c) { return std::toupper(c); });
            EXPECT_EQ(mode.hidInterface, upper) << "hid_interface must be upper case";
            char identity[32];
            std::snprintf(identity, sizeof identity, "VID_%04lX&PID_%04lX", *vid, *pid);
            EXPECT_NE(mode.hidInterface.find(identity), std::string::npos)
                << mode.hidInterface << " does not name " << identity;
        }
    }
}

std::vector<fs::path> LayoutFiles() {
    std::vector<fs::path> files;
    const fs::path folder = kDataFolder / "layouts";
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().extension() == ".xml") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ConfigFile, EveryModelHasItsLayoutAndEveryLayoutItsModel) {
    const Config config = ReadConfig();
    std::set<std::string> declared;
    for (const Model& model : config.models) {
        declared.insert(model.layout);
        EXPECT_TRUE(fs::is_regular_file(kDataFolder / "layouts" / (model.layout + ".xml")))
            << model.name << " has no layout " << model.layout;
    }
    for (const fs::path& file : LayoutFiles()) {
        EXPECT_TRUE(declared.count(file.stem().string())) << file << " belongs to no model";
    }
}

// ---------------------------------------------------------------------------------------------
// Layout files

struct Key {
    std::string code;
    std::string name;
    std::string keyIndex;
    std::string lightIndex;
    std::string fnLocked;
    std::string left, top, width, height;
    std::string rowCol;
};

using Attributes = std::map<std::string, std::string>;

struct Layout {
    bool loaded = false;
    // Elements found, in the order the program looks for them; the search only goes forward.
    std::vector<std::string> found;
    std::map<std::string, Attributes> elements;
    std::vector<Key> keys;
};

const std::map<std::string, std::vector<std::string>> kElementAttributes = {
    {"menu", {"macro", "light_mode", "user_light", "custom_light", "music", "screen", "sidelight"}},
    {"menu_wireless",
     {"macro", "light_mode", "user_light", "custom_light", "music", "screen", "sidelight"}},
    {"function", {"fn_layer", "sleep_time", "key_respondtime"}},
    {"firmware", {"version", "file", "url"}},
    {"cmd_delaytime", {"value"}},
    {"screen", {"gif_headlength", "gif_maxframes", "gif_count", "width", "height"}},
    {"light",
     {"rgb_keyboard", "default_mode", "default_brightness", "default_speed", "brightness_max",
      "speed_max"}},
    {"Keyboard",
     {"bk_color", "xpos", "ypos", "width", "height", "image", "row_count", "col_count"}},
};
const std::vector<std::string> kElementOrder = {"menu",     "menu_wireless", "function",
                                                "firmware", "cmd_delaytime", "screen",
                                                "light",    "Keyboard"};

Layout ReadLayout(const fs::path& path) {
    Layout layout;
    XmlDocument xml;
    if (!xml.Load(path.string()) || !xml.FindElement("device.info")) {
        return layout;
    }
    layout.loaded = true;
    xml.EnterElement();
    for (const std::string& element : kElementOrder) {
        if (!xml.FindElement(element)) {
            continue;
        }
        layout.found.push_back(element);
        for (const std::string& attribute : kElementAttributes.at(element)) {
            layout.elements[element][attribute] = xml.GetAttribute(attribute);
        }
    }
    if (layout.elements.count("Keyboard") && xml.EnterElement() && xml.FindElement("KeyItems")) {
        layout.found.push_back("KeyItems");
        xml.EnterElement();
        while (xml.FindElement("key")) {
            layout.keys.push_back({xml.GetAttribute("code"), xml.GetAttribute("name"),
                                   xml.GetAttribute("key_index"), xml.GetAttribute("light_index"),
                                   xml.GetAttribute("fnlayer_disable"),
                                   xml.GetAttribute("rect_left"), xml.GetAttribute("rect_top"),
                                   xml.GetAttribute("rect_width"), xml.GetAttribute("rect_height"),
                                   xml.GetAttribute("row_col")});
        }
    }
    return layout;
}

long Number(const Layout& layout, const std::string& element, const std::string& attribute) {
    return Decimal(layout.elements.at(element).at(attribute)).value_or(-1);
}

bool Flag(const Layout& layout, const std::string& element, const std::string& attribute) {
    return layout.elements.at(element).at(attribute) == "1";
}

class LayoutFile : public testing::TestWithParam<fs::path> {
protected:
    void SetUp() override {
        m_layout = ReadLayout(GetParam());
        ASSERT_TRUE(m_layout.loaded) << GetParam() << " must load with the root device.info";
        auto expected = kElementOrder;
        expected.push_back("KeyItems");
        ASSERT_EQ(m_layout.found, expected)
            << "a missing element keeps the previous model's values and one out of order is "
               "never found";
    }

    bool RgbKeyboard() const { return Flag(m_layout, "light", "rgb_keyboard"); }

    Layout m_layout;
};

TEST_P(LayoutFile, FeaturesAndSettingsAreUsable) {
    for (const char* element : {"menu", "menu_wireless", "function"}) {
        for (const auto& [attribute, value] : m_layout.elements.at(element)) {
            EXPECT_TRUE(IsFlag(value)) << element << "/" << attribute << " is \"" << value << "\"";
        }
    }
    EXPECT_GT(Number(m_layout, "cmd_delaytime", "value"), 0);

    const Attributes& firmware = m_layout.elements.at("firmware");
    EXPECT_EQ(firmware.at("version").empty(), firmware.at("file").empty())
        << "the firmware update needs both a version and a file";
    if (!firmware.at("version").empty()) {
        // Compared with the keyboard's release number read as a decimal number.
        EXPECT_TRUE(Decimal(firmware.at("version"))) << firmware.at("version");
    }

    const Attributes& light = m_layout.elements.at("light");
    EXPECT_TRUE(IsFlag(light.at("rgb_keyboard")));
    const long mode = Number(m_layout, "light", "default_mode");
    EXPECT_TRUE(mode >= 0 && mode <= kLastLightingEffect) << "default_mode " << mode;
    const long brightnessMax = Number(m_layout, "light", "brightness_max");
    const long speedMax = Number(m_layout, "light", "speed_max");
    EXPECT_TRUE(brightnessMax > 0 && brightnessMax <= 255) << brightnessMax;
    EXPECT_TRUE(speedMax > 0 && speedMax <= 255) << speedMax;
    const long brightness = Number(m_layout, "light", "default_brightness");
    const long speed = Number(m_layout, "light", "default_speed");
    EXPECT_TRUE(brightness >= 0 && brightness <= brightnessMax) << brightness;
    EXPECT_TRUE(speed >= 0 && speed <= speedMax) << speed;

    if (Flag(m_layout, "menu", "screen") || Flag(m_layout, "menu_wireless", "screen")) {
        EXPECT_GT(Number(m_layout, "screen", "width"), 0);
        EXPECT_GT(Number(m_layout, "screen", "height"), 0);
        EXPECT_GT(Number(m_layout, "screen", "gif_count"), 0);
        const long maxFrames = Number(m_layout, "screen", "gif_maxframes");
        EXPECT_TRUE(maxFrames > 0 && maxFrames <= 255) << "the frame count travels in one byte";
        // The header holds the frame count and one delay byte per frame.
        EXPECT_GT(Number(m_layout, "screen", "gif_headlength"), maxFrames);
    }
}

TEST_P(LayoutFile, KeysAreUniqueAndInsideTheMatrix) {
    const long rows = Number(m_layout, "Keyboard", "row_count");
    const long columns = Number(m_layout, "Keyboard", "col_count");
    ASSERT_TRUE(rows > 0 && rows <= kMatrixRows) << "row_count " << rows;
    ASSERT_TRUE(columns > 0 && columns <= kMatrixColumns) << "col_count " << columns;
    ASSERT_FALSE(m_layout.keys.empty());
    const int lastLight = RgbKeyboard() ? kLastRgbLight : kLastSingleColourLight;
    if (RgbKeyboard()) {
        EXPECT_LE(m_layout.keys.size(), static_cast<std::size_t>(kMaxStreamedRgbKeys));
    }

    std::set<long> codes, keyIndexes, lightIndexes;
    std::set<std::pair<long, long>> cells;
    for (const Key& key : m_layout.keys) {
        SCOPED_TRACE("key " + key.code + " \"" + key.name + "\"");
        const auto code = Hex(key.code, 2);
        EXPECT_TRUE(code && *code > 0) << "code must be a hexadecimal key code";
        EXPECT_TRUE(codes.insert(code.value_or(-1)).second) << "code used twice";
        EXPECT_FALSE(key.name.empty());
        EXPECT_TRUE(IsFlag(key.fnLocked)) << "fnlayer_disable \"" << key.fnLocked << "\"";

        const long keyIndex = Decimal(key.keyIndex).value_or(-1);
        EXPECT_TRUE(keyIndex >= 1 && keyIndex <= kLastKeySlot) << "key_index " << key.keyIndex;
        EXPECT_TRUE(keyIndexes.insert(keyIndex).second) << "key_index used twice";
        const long lightIndex = Decimal(key.lightIndex).value_or(-1);
        EXPECT_TRUE(lightIndex >= 1 && lightIndex <= lastLight) << "light_index " << key.lightIndex;
        EXPECT_TRUE(lightIndexes.insert(lightIndex).second) << "light_index used twice";

        // "r,c" or "r,cc": the program takes the first character as the row and the last one
        // or two as the column.
        const std::string& rc = key.rowCol;
        const bool wellFormed = (rc.size() == 3 || rc.size() == 4) && rc[1] == ',' &&
                                Decimal(rc.substr(0, 1)) && Decimal(rc.substr(2));
        ASSERT_TRUE(wellFormed) << "row_col \"" << rc << "\"";
        const long row = *Decimal(rc.substr(0, 1));
        const long column = *Decimal(rc.substr(2));
        EXPECT_TRUE(row < rows && column < columns) << "row_col " << rc << " outside the matrix";
        EXPECT_TRUE(cells.emplace(row, column).second) << "row_col " << rc << " used twice";
    }
    if (Flag(m_layout, "function", "fn_layer")) {
        EXPECT_TRUE(codes.count(kFnKeyCode)) << "an Fn layer needs an Fn key";
    }
}

TEST_P(LayoutFile, KeysAreDrawnInsideThePictureWithoutOverlapping) {
    const long width = Number(m_layout, "Keyboard", "width");
    const long height = Number(m_layout, "Keyboard", "height");
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    EXPECT_FALSE(m_layout.elements.at("Keyboard").at("image").empty());
    EXPECT_TRUE(Hex(m_layout.elements.at("Keyboard").at("bk_color"), 8)) << "bk_color";
    EXPECT_GE(Number(m_layout, "Keyboard", "xpos"), 0);
    EXPECT_GE(Number(m_layout, "Keyboard", "ypos"), 0);

    struct Box {
        long left, top, right, bottom;
        std::string code;
    };
    std::vector<Box> boxes;
    for (const Key& key : m_layout.keys) {
        const long left = Decimal(key.left).value_or(-1);
        const long top = Decimal(key.top).value_or(-1);
        const long w = Decimal(key.width).value_or(0);
        const long h = Decimal(key.height).value_or(0);
        EXPECT_TRUE(left >= 0 && top >= 0 && w > 0 && h > 0 && left + w <= width &&
                    top + h <= height)
            << "key " << key.code << " at (" << key.left << ", " << key.top << ") size "
            << key.width << " x " << key.height << " is not inside " << width << " x " << height;
        for (const Box& other : boxes) {
            EXPECT_FALSE(left < other.right && other.left < left + w && top < other.bottom &&
                         other.top < top + h)
                << "keys " << other.code << " and " << key.code << " overlap";
        }
        boxes.push_back({left, top, left + w, top + h, key.code});
    }
}

std::string TestName(const testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.stem().string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Shipped, LayoutFile, testing::ValuesIn(LayoutFiles()), TestName);

}  // namespace
}  // namespace zephyl
