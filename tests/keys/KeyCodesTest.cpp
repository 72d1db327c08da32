// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyCodes.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

TEST(KeyCodesTest, VirtualKeyToUsage) {
    const struct {
        int vk;
        int usage;
    } cases[] = {
        {'A', 4},
        {'Z', 29},
        {'1', 30},
        {'9', 38},
        {'0', 39},
        {13, 40},
        {112, 58},
        {123, 69},
        {124, 104},
        {135, 115},
        {97, 89},
        {105, 97},
        {96, 98},
        {110, 99},
        {108, 88},
        {111, 84},
        {220, 49},
        {666, 50},
        {160, 225},
        {162, 224},
        {92, 231},
        {93, 101},
        {254, 175},
        {226, 100},
        {136, 136},
        {139, 139},
        {301, 236},
        {302, 235},
        {36, 74},
        {38, 82},
        // Generic modifiers and unknown codes have no usage.
        {16, 0},
        {17, 0},
        {18, 0},
        {0, 0},
        {140, 0},
        {255, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VirtualKeyToUsage(c.vk), c.usage) << "vk " << c.vk;
    }
}

TEST(KeyCodesTest, ModifierUsagesBecomeBitsOthersStay) {
    for (int usage = 224; usage <= 231; ++usage) {
        EXPECT_EQ(UsageToModifierBit(usage), 1 << (usage - 224));
    }
    EXPECT_EQ(UsageToModifierBit(4), 4);
    EXPECT_EQ(UsageToModifierBit(223), 223);
    EXPECT_EQ(UsageToModifierBit(232), 232);
}

TEST(KeyCodesTest, ConsumerFunctionsGiveUsageBytes) {
    const struct {
        int code;
        int low;
        int high;
    } cases[] = {{500, 0x94, 0x01}, {504, 0xCD, 0x00}, {510, 0xE2, 0x00},
                 {511, 0x23, 0x02}, {516, 0x2A, 0x02}, {517, 0x21, 0x02}};
    for (const auto& c : cases) {
        int low = -1;
        int high = -1;
        FunctionToConsumerUsage(c.code, low, high);
        EXPECT_EQ(low, c.low) << c.code;
        EXPECT_EQ(high, c.high) << c.code;
    }
    ASSERT_EQ(ConsumerFunctions().size(), 18u);
    for (size_t i = 0; i < ConsumerFunctions().size(); ++i) {
        EXPECT_EQ(ConsumerFunctions()[i].code, 500 + static_cast<int>(i));
    }
    for (int outside : {0, 499, 518}) {
        int low = 7;
        int high = 9;
        FunctionToConsumerUsage(outside, low, high);
        EXPECT_EQ(low, 7);
        EXPECT_EQ(high, 9);
    }
}

TEST(KeyCodesTest, UsageLabels) {
    const struct {
        int usage;
        const char* label;
    } cases[] = {
        {4, "A"},      {29, "Z"},     {30, "1"},         {38, "9"},     {39, "0"}, {58, "F1"},
        {69, "F12"},   {40, "ENTER"}, {42, "backspace"}, {49, "\\"},    {52, "'"}, {72, "PASE"},
        {101, "MENU"}, {175, "FN"},   {224, "CTRL"},     {230, "RALT"}, {231, ""}, {50, ""},
        {83, ""},      {104, ""},     {0, ""},           {3, ""},       {176, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UsageLabel(c.usage), c.label) << "usage " << c.usage;
    }
}

}  // namespace
}  // namespace zephyl
