// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/AssignmentKinds.h"

#include "keys/KeyCodes.h"
#include "store/ConfigValues.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr MouseItem kMouseItems[] = {
    {1, 220, {0x01, 0x01, 0x01}}, {2, 222, {0x01, 0x01, 0x04}}, {3, 223, {0x01, 0x01, 0x02}},
    {4, 224, {0x01, 0x01, 0x03}}, {5, 225, {0x01, 0x03, 0x01}}, {6, 226, {0x01, 0x03, 0xFF}},
    {7, 227, {0x01, 0x01, 0x08}}, {8, 228, {0x01, 0x01, 0x10}},
};

constexpr MediaItem kMediaItems[] = {
    {1, 230, 0xCD}, {2, 231, 0xB7}, {3, 232, 0xB6}, {4, 233, 0xB5},
    {5, 234, 0xE9}, {6, 235, 0xEA}, {7, 236, 0xE2},
};

constexpr ShortcutItem kShortcutItems[] = {
    {1, 251, 0x08, 0x07}, {2, 252, 0x08, 0x08}, {3, 253, 0x08, 0x0F}, {4, 254, 0x01, 0x1A},
    {5, 255, 0x04, 0x2B}, {6, 31, 0x01, 0x06},  {7, 32, 0x01, 0x19},  {8, 36, 0x01, 0x1B},
    {10, 0, 0x02, 0x00},  {11, 0, 0x01, 0x00},
};

constexpr int kLargestRepeatCount = 255;

KeyAssignment Record(int kind, int value, int value2, int value3, std::string text) {
    KeyAssignment record;
    record.macro_type = kind;
    record.macro_value = value;
    record.macro_value2 = value2;
    record.macro_value3 = value3;
    record.macro_desc = std::move(text);
    return record;
}

}  // namespace

int KindTipText(int kind) {
    switch (kind) {
        case kKindDisable:
            return 202;
        case kKindKey:
        case kKindConsumer:
            return 205;
        case kKindMacro:
            return 206;
        case kKindMouse:
            return 207;
        case kKindMedia:
            return 208;
        case kKindShortcut:
            return 209;
        case kKindRunProgram:
            return 210;
        case kKindOpenAddress:
            return 211;
        case kKindPasteText:
            return 212;
        case kKindCombination:
            return 213;
        default:
            return 0;
    }
}

std::span<const MouseItem> MouseItems() {
    return kMouseItems;
}
std::span<const MediaItem> MediaItems() {
    return kMediaItems;
}
std::span<const ShortcutItem> ShortcutItems() {
    return kShortcutItems;
}

std::string ModifierText(bool shift, bool ctrl, bool win, bool alt) {
    std::string text;
    const std::pair<bool, const char*> parts[] = {
        {shift, "Shift"}, {ctrl, "Ctrl"}, {win, "Win"}, {alt, "Alt"}};
    for (const auto& [checked, name] : parts) {
        if (checked) {
            text += text.empty() ? name : std::string("+ ") + name;
        }
    }
    return text;
}

KeyAssignment OwnFunctionRecord() {
    return KeyAssignment{};
}

KeyAssignment DisableRecord(const std::string& disableText) {
    return Record(kKindDisable, 1, 0, 0, disableText);
}

KeyAssignment KeyRecord(int capturedVk, const std::string& keyText, bool shift, bool ctrl, bool win,
                        bool alt) {
    const int mask = (shift ? kMaskShift : 0) | (ctrl ? kMaskCtrl : 0) | (win ? kMaskWin : 0) |
                     (alt ? kMaskAlt : 0);
    const std::string modifiers = ModifierText(shift, ctrl, win, alt);
    std::string text = keyText;
    if (!modifiers.empty() && !keyText.empty()) {
        text = modifiers + " + " + keyText;
    }
    return Record(kKindKey, VirtualKeyToUsage(capturedVk), mask, 0, text);
}

KeyAssignment FunctionRecord(int value, int value2, int value3, const std::string& text) {
    return Record(value < kFirstConsumerFunction ? kKindKey : kKindConsumer, value, value2, value3,
                  text);
}

int RepeatCount(const std::string& text) {
    if (text.empty()) {
        return 1;
    }
    return std::clamp(ParseConfigNumber(text), 1, kLargestRepeatCount);
}

KeyAssignment MacroRecord(int macroId, const std::string& macroName, int playMode,
                          const std::string& repeatText) {
    const int repeat = playMode == kPlayRepeatCount ? RepeatCount(repeatText) : 0;
    return Record(kKindMacro, macroId, playMode, repeat, macroName);
}

KeyAssignment ItemRecord(int kind, int item, const std::string& itemText) {
    return Record(kind, item, 0, 0, itemText);
}

KeyAssignment HostActionRecord(int kind, int actionId, const std::string& text) {
    return Record(kind, actionId, 0, 0, text);
}

KeyAssignment CombinationRecord(const std::array<std::optional<CombinationKey>, 3>& keys) {
    auto text = [&keys](int i) { return keys[i] ? keys[i]->text : std::string(); };
    auto usage = [&keys](int i) { return keys[i] ? VirtualKeyToUsage(keys[i]->virtualKey) : 0; };
    std::string description;
    if (keys[2]) {
        description = text(0) + " + " + text(1) + " + " + text(2);
    } else if (keys[1]) {
        description = text(0) + " + " + text(1);
    } else if (keys[0]) {
        description = text(0);
    }
    return Record(kKindCombination, usage(0), usage(1), usage(2), description);
}

}  // namespace zephyl
