// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyCodes.h"

namespace zephyl {
namespace {

struct CodePair {
    int from;
    int to;
};

// Single virtual-key codes and their usages; the ranges are handled in code.
constexpr CodePair kVirtualKeyUsages[] = {
    {48, 39},   {13, 40},   {27, 41},   {8, 42},    {9, 43},    {32, 44},   {189, 45},  {187, 46},
    {219, 47},  {221, 48},  {220, 49},  {666, 50},  {186, 51},  {222, 52},  {192, 53},  {188, 54},
    {190, 55},  {191, 56},  {20, 57},   {44, 70},   {145, 71},  {19, 72},   {45, 73},   {36, 74},
    {33, 75},   {46, 76},   {35, 77},   {34, 78},   {39, 79},   {37, 80},   {40, 81},   {38, 82},
    {144, 83},  {111, 84},  {106, 85},  {109, 86},  {107, 87},  {108, 88},  {96, 98},   {110, 99},
    {162, 224}, {160, 225}, {164, 226}, {91, 227},  {163, 228}, {161, 229}, {165, 230}, {92, 231},
    {93, 101},  {254, 175}, {226, 100}, {136, 136}, {137, 137}, {138, 138}, {139, 139}, {301, 236},
    {302, 235},
};

constexpr ConsumerFunction kConsumerFunctions[] = {
    {500, 0x0194, "AL Local Machine Browser", 252},
    {501, 0x0192, "AL Calculator", 270},
    {502, 0x018A, "AL Email Reader", 271},
    {503, 0x0183, "AL Consumer Control Configuration", 272},
    {504, 0x00CD, "Play/Pause", 230},
    {505, 0x00B7, "Stop", 231},
    {506, 0x00B6, "Scan Previous Track", 232},
    {507, 0x00B5, "Scan Next Track", 233},
    {508, 0x00E9, "Volume Increment", 234},
    {509, 0x00EA, "Volume Decrement", 235},
    {510, 0x00E2, "Mute", 236},
    {511, 0x0223, "AC Home", 273},
    {512, 0x0227, "AC Refresh", 274},
    {513, 0x0226, "AC Stop", 275},
    {514, 0x0224, "AC Back", 276},
    {515, 0x0225, "AC Forward", 277},
    {516, 0x022A, "AC Bookmarks", 278},
    {517, 0x0221, "AC Search", 279},
};

struct UsageText {
    int usage;
    const char* label;
};

constexpr UsageText kUsageLabels[] = {
    {40, "ENTER"}, {41, "ESC"},    {42, "backspace"}, {43, "TAB"},    {44, "SPACE"},
    {45, "-_"},    {46, "+="},     {47, "[{"},        {48, "]}"},     {49, "\\"},
    {51, ";:"},    {52, "'"},      {53, "~`"},        {54, "<,"},     {55, ">."},
    {56, "/?"},    {57, "CAPS"},   {70, "PRTSC"},     {71, "SCRLK"},  {72, "PASE"},
    {73, "INS"},   {74, "HOME"},   {75, "PG UP"},     {76, "DEL"},    {77, "END"},
    {78, "PG DN"}, {79, "RIGHT"},  {80, "LEFT"},      {81, "DOWN"},   {82, "UP"},
    {101, "MENU"}, {175, "FN"},    {224, "CTRL"},     {225, "SHIFT"}, {226, "ALT"},
    {227, "WIN"},  {228, "RCTRL"}, {229, "RSHIFT"},   {230, "RALT"},
};

}  // namespace

int VirtualKeyToUsage(int vk) {
    if (vk >= 'A' && vk <= 'Z') {
        return vk - 61;
    }
    if (vk >= '1' && vk <= '9') {
        return vk - 19;
    }
    if (vk >= 112 && vk <= 123) {  // F1..F12
        return vk - 54;
    }
    if (vk >= 124 && vk <= 135) {  // F13..F24
        return vk - 20;
    }
    if (vk >= 97 && vk <= 105) {  // keypad 1..9
        return vk - 8;
    }
    for (const CodePair& pair : kVirtualKeyUsages) {
        if (pair.from == vk) {
            return pair.to;
        }
    }
    return 0;
}

int UsageToModifierBit(int usage) {
    return IsModifierUsage(usage) ? 1 << (usage - kFirstModifierUsage) : usage;
}

std::span<const ConsumerFunction> ConsumerFunctions() {
    return kConsumerFunctions;
}

void FunctionToConsumerUsage(int code, int& low, int& high) {
    if (code < kFirstConsumerFunction || code > kLastConsumerFunction) {
        return;
    }
    const std::uint16_t usage = kConsumerFunctions[code - kFirstConsumerFunction].usage;
    low = usage & 0xFF;
    high = usage >> 8;
}

std::string UsageLabel(int usage) {
    if (usage >= 4 && usage <= 29) {
        return std::string(1, static_cast<char>('A' + usage - 4));
    }
    if (usage >= 30 && usage <= 38) {
        return std::string(1, static_cast<char>('1' + usage - 30));
    }
    if (usage == 39) {
        return "0";
    }
    if (usage >= 58 && usage <= 69) {
        return "F" + std::to_string(usage - 57);
    }
    for (const UsageText& entry : kUsageLabels) {
        if (entry.usage == usage) {
            return entry.label;
        }
    }
    return {};
}

}  // namespace zephyl
