// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyNames.h"

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

namespace zephyl {
namespace {

// A layout whose names tell which Linux key was asked for.
std::string LayoutName(int linuxCode) {
    return "key" + std::to_string(linuxCode);
}

TEST(KeyNamesTest, AssignmentNames) {
    const struct {
        int vk;
        std::string name;
    } cases[] = {
        {'A', LayoutName(KEY_A)},
        // Navigation codes name the extended keys, not the keypad keys that share them.
        {46, LayoutName(KEY_DELETE)},
        {36, LayoutName(KEY_HOME)},
        {33, LayoutName(KEY_PAGEUP)},
        {40, LayoutName(KEY_DOWN)},
        {45, LayoutName(KEY_INSERT)},
        {110, LayoutName(KEY_KPDOT)},
        {13, LayoutName(KEY_ENTER)},
        {124, "F13"},
        {135, "F24"},
        {192, "`~"},
        {222, "'\""},
        {191, "?/"},
        {220, "\\||"},
        {91, "Windows"},
        {92, "RWindows"},
        {93, "Application"},
        {44, "Print Screen"},
        {19, "Pause"},
        {144, "Num Lock"},
        {0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AssignmentKeyName(c.vk, LayoutName), c.name) << "vk " << c.vk;
    }
}

TEST(KeyNamesTest, RecordedNamesAndGenericModifiers) {
    const struct {
        int vk;
        std::string name;
        int code;
    } cases[] = {
        {16, "Shift", 160},
        {17, "Ctrl", 162},
        {18, "Alt", 164},
        {160, "Shift", 160},
        {161, "RShift", 161},
        {165, "RAlt", 165},
        {173, "Vol Mute", 173},
        {183, "Calculator", 183},
        {179, "Play/Pause", 179},
        // No F-number or punctuation texts here: the layout's names stay.
        {124, LayoutName(KEY_F13), 124},
        {192, LayoutName(KEY_GRAVE), 192},
        {108, LayoutName(KEY_KPENTER), 108},
        {103, LayoutName(KEY_KP7), 103},
    };
    for (const auto& c : cases) {
        int code = c.vk;
        EXPECT_EQ(RecordedKeyName(code, LayoutName), c.name) << "vk " << c.vk;
        EXPECT_EQ(code, c.code) << "vk " << c.vk;
    }
}

TEST(KeyNamesTest, EnglishNamesServeWithoutADesktop) {
    EXPECT_EQ(AssignmentKeyName('A'), "A");
    EXPECT_EQ(AssignmentKeyName(46), "Delete");
    int code = 103;
    EXPECT_EQ(RecordedKeyName(code), "Keypad 7");
}

}  // namespace
}  // namespace zephyl
