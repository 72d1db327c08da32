// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyFunctionList.h"

#include "keys/KeyCodes.h"

namespace zephyl {
namespace {

struct GroupKeys {
    int titleText;
    std::vector<int> virtualKeys;
};

std::vector<int> Range(int first, int last) {
    std::vector<int> keys;
    for (int vk = first; vk <= last; ++vk) {
        keys.push_back(vk);
    }
    return keys;
}

// The keys of each group as virtual-key codes, in the order a user scans them.
std::vector<GroupKeys> KeyGroups() {
    std::vector<int> lettersAndDigits = Range('A', 'Z');
    for (int vk : Range('1', '9')) {
        lettersAndDigits.push_back(vk);
    }
    lettersAndDigits.push_back('0');
    return {
        {900, lettersAndDigits},
        {901, Range(112, 135)},
        {902, {27, 9, 20, 8, 13, 32, 45, 46, 36, 35, 33, 34, 37, 38, 39, 40, 44, 145, 19, 93}},
        {903,
         {144, 96, 97, 98, 99, 100, 101, 102, 103, 104, 105, 110, 107, 109, 106, 111,
          kKeypadEnterVirtualKey}},
        {904, {160, 162, 164, 91,  161, 163, 165, 92,  192, 189,
               187, 219, 221, 220, 186, 222, 188, 190, 191, 226}},
    };
}

constexpr int kMediaGroupText = 905;

std::string KeyText(int vk, const KeyNameSource& names) {
    const int usage = VirtualKeyToUsage(vk);
    if (IsModifierUsage(usage)) {
        // The modifiers' fixed names say which hand.
        int code = vk;
        return RecordedKeyName(code, names);
    }
    return AssignmentKeyName(vk, names);
}

}  // namespace

std::vector<KeyFunctionGroup> KeyFunctionGroups(const std::function<std::string(int)>& texts,
                                                const KeyNameSource& names) {
    std::vector<KeyFunctionGroup> groups;
    for (const GroupKeys& keys : KeyGroups()) {
        KeyFunctionGroup group;
        group.titleText = keys.titleText;
        for (int vk : keys.virtualKeys) {
            const int usage = VirtualKeyToUsage(vk);
            if (usage == 0) {
                continue;
            }
            KeyFunctionEntry entry;
            entry.value1 = usage;
            entry.text = KeyText(vk, names);
            if (entry.text.empty()) {
                entry.text = UsageLabel(usage);
            }
            group.entries.push_back(std::move(entry));
        }
        groups.push_back(std::move(group));
    }
    KeyFunctionGroup media;
    media.titleText = kMediaGroupText;
    for (const ConsumerFunction& function : ConsumerFunctions()) {
        KeyFunctionEntry entry;
        entry.value1 = function.code;
        entry.textId = function.descriptionText;
        entry.text = texts(function.descriptionText);
        media.entries.push_back(std::move(entry));
    }
    groups.push_back(std::move(media));
    return groups;
}

}  // namespace zephyl
