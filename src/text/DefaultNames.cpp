// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/DefaultNames.h"

#include "text/LanguageText.h"

#include <array>
#include <string_view>

namespace zephyl {
namespace {

struct DefaultNameRule {
    int textId;
    // Names as they were stored by earlier versions in each language, tried in this order.
    std::array<std::string_view, 4> prefixes;
};

constexpr DefaultNameRule kRules[] = {
    {65, {"My Config", "我的專屬配寘", "Моя конфигурация", "我的专属配置"}},
    {78, {"Custom Light", "自定義燈光", "自定义灯光", "Польз. подсветка"}},
    {369, {"Real-time Lighting", "實时燈效", "实时灯效", "Подсветка в наст. времени"}},
    {101, {"New Music Effect", "新音樂燈效", "新音乐灯效", "Новый муз. эффект"}},
    {331, {"New Macro", "新建巨集", "新建宏", "Новый макрос"}},
};

const DefaultNameRule& RuleFor(DefaultNameList list) {
    switch (list) {
        case DefaultNameList::kProfiles:
            return kRules[0];
        case DefaultNameList::kUserLighting:
            return kRules[1];
        case DefaultNameList::kCustomLighting:
            return kRules[2];
        case DefaultNameList::kMusicLayers:
            return kRules[3];
        case DefaultNameList::kMacros:
            break;
    }
    return kRules[4];
}

}  // namespace

int DefaultNameTextId(DefaultNameList list) {
    return RuleFor(list).textId;
}

std::string ReplaceDefaultPrefix(const std::string& storedName, DefaultNameList list,
                                 const std::string& defaultText) {
    for (std::string_view prefix : RuleFor(list).prefixes) {
        // A name of the user's own that merely starts with the same letters ("My Configuration")
        // is not a default name: the prefix must end the name or be followed by a space.
        const std::string_view name(storedName);
        if (name.starts_with(prefix) &&
            (name.size() == prefix.size() || name[prefix.size()] == ' ')) {
            return defaultText + storedName.substr(prefix.size());
        }
    }
    return storedName;
}

std::string LocalizedDefaultName(const std::string& storedName, DefaultNameList list) {
    return ReplaceDefaultPrefix(storedName, list, LanguageText(DefaultNameTextId(list)));
}

std::string NewDefaultName(DefaultNameList list, int number) {
    return LanguageText(DefaultNameTextId(list)) + " " + std::to_string(number);
}

}  // namespace zephyl
