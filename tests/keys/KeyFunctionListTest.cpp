// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyCodes.h"
#include "keys/KeyFunctionList.h"

#include <gtest/gtest.h>

#include <set>

namespace zephyl {
namespace {

std::string TextOf(int id) {
    return "text " + std::to_string(id);
}

const KeyFunctionEntry* Find(const std::vector<KeyFunctionGroup>& groups, int value1) {
    for (const KeyFunctionGroup& group : groups) {
        for (const KeyFunctionEntry& entry : group.entries) {
            if (entry.value1 == value1) {
                return &entry;
            }
        }
    }
    return nullptr;
}

TEST(KeyFunctionListTest, EveryFunctionIsOfferedOnceWithAText) {
    const std::vector<KeyFunctionGroup> groups = KeyFunctionGroups(TextOf);
    ASSERT_EQ(groups.size(), 6u);
    std::set<int> seen;
    for (const KeyFunctionGroup& group : groups) {
        EXPECT_GE(group.titleText, 900);
        EXPECT_FALSE(group.entries.empty());
        for (const KeyFunctionEntry& entry : group.entries) {
            SCOPED_TRACE(entry.value1);
            EXPECT_TRUE(seen.insert(entry.value1).second) << "offered twice";
            EXPECT_FALSE(entry.text.empty());
            EXPECT_EQ(entry.value2, 0);
            EXPECT_EQ(entry.value3, 0);
        }
    }
    // Every consumer function, with its language text.
    for (const ConsumerFunction& function : ConsumerFunctions()) {
        const KeyFunctionEntry* entry = Find(groups, function.code);
        ASSERT_NE(entry, nullptr) << function.code;
        EXPECT_EQ(entry->text, TextOf(function.descriptionText));
        EXPECT_EQ(entry->textId, function.descriptionText);
    }
}

TEST(KeyFunctionListTest, KeysCarryTheirUsageAndName) {
    const std::vector<KeyFunctionGroup> groups = KeyFunctionGroups(TextOf);
    const struct {
        int usage;
        const char* text;
    } cases[] = {
        {4, "A"},      {39, "0"},       {58, "F1"},     {115, "F24"},         {88, nullptr},
        {224, "Ctrl"}, {229, "RShift"}, {227, nullptr}, {83, "Num Lock"},     {41, nullptr},
        {74, nullptr}, {100, nullptr},  {49, nullptr},  {70, "Print Screen"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.usage);
        const KeyFunctionEntry* found = Find(groups, entry.usage);
        ASSERT_NE(found, nullptr);
        if (entry.text) {
            EXPECT_EQ(found->text, entry.text);
        }
    }
    // Keys the keyboard has no usage for are not offered.
    EXPECT_EQ(Find(groups, 0), nullptr);
}

TEST(KeyFunctionListTest, NamesFollowTheUsersLayout) {
    // A layout whose key at the position of Y is named "Z".
    const KeyNameSource layout = [](int linuxCode) -> std::string {
        return linuxCode == 21 ? "Z" : EnglishKeyName(linuxCode);
    };
    const std::vector<KeyFunctionGroup> groups = KeyFunctionGroups(TextOf, layout);
    const KeyFunctionEntry* y = Find(groups, 28);  // usage of the key at Y
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(y->text, "Z");
}

}  // namespace
}  // namespace zephyl
