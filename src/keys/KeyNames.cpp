// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyNames.h"

#include "keys/LinuxKeyTable.h"

namespace zephyl {
namespace {

struct FixedName {
    int vk;
    const char* text;
};

// The punctuation keys get texts that show both characters, whatever the layout calls them.
constexpr FixedName kAssignmentPunctuation[] = {
    {192, "`~"},  {189, "-_"}, {187, "=+"}, {219, "[{"}, {221, "]}"},   {186, ";:"},
    {222, "'\""}, {188, "<,"}, {190, ">."}, {191, "?/"}, {220, "\\||"},
};

constexpr FixedName kAssignmentNames[] = {
    {91, "Windows"},      {92, "RWindows"}, {93, "Application"},
    {44, "Print Screen"}, {19, "Pause"},    {144, "Num Lock"},
};

constexpr FixedName kRecordedNames[] = {
    {16, "Shift"},          {17, "Ctrl"},         {18, "Alt"},         {19, "Pause"},
    {44, "Print Screen"},   {91, "Windows"},      {92, "RWindows"},    {93, "Application"},
    {144, "Num Lock"},      {160, "Shift"},       {161, "RShift"},     {162, "Ctrl"},
    {163, "RCtrl"},         {164, "Alt"},         {165, "RAlt"},       {166, "Web-Backward"},
    {167, "Web-Forward"},   {168, "Web-Refresh"}, {169, "Web-Stop"},   {170, "Web-Search"},
    {171, "Web-Favorites"}, {172, "Web-Home"},    {173, "Vol Mute"},   {174, "Vol Down"},
    {175, "Vol Up"},        {176, "Next Track"},  {177, "Prev Track"}, {178, "Stop"},
    {179, "Play/Pause"},    {180, "EMail"},       {181, "Multimedia"}, {182, "My Computer"},
    {183, "Calculator"},
};

template <size_t N>
const char* Find(const FixedName (&table)[N], int vk) {
    for (const FixedName& entry : table) {
        if (entry.vk == vk) {
            return entry.text;
        }
    }
    return nullptr;
}

std::string LayoutName(int vk, const KeyNameSource& names) {
    const int linuxCode = LinuxKeyForVirtualKey(vk);
    return linuxCode != 0 && names ? names(linuxCode) : std::string();
}

}  // namespace

std::string EnglishKeyName(int linuxCode) {
    const LinuxKeyMapping* mapping = FindLinuxKey(linuxCode);
    return mapping ? mapping->name : std::string();
}

std::string AssignmentKeyName(int vk, const KeyNameSource& names) {
    std::string text = LayoutName(vk, names);
    if (vk >= 124 && vk <= 135) {
        text = "F" + std::to_string(vk - 111);
    }
    if (const char* fixed = Find(kAssignmentPunctuation, vk)) {
        text = fixed;
    }
    if (const char* fixed = Find(kAssignmentNames, vk)) {
        text = fixed;
    }
    return text;
}

std::string RecordedKeyName(int& vk, const KeyNameSource& names) {
    std::string text = LayoutName(vk, names);
    if (const char* fixed = Find(kRecordedNames, vk)) {
        text = fixed;
    }
    if (vk >= 16 && vk <= 18) {
        vk = vk == 16 ? 160 : vk == 17 ? 162 : 164;
    }
    return text;
}

}  // namespace zephyl
