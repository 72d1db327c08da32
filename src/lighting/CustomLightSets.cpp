// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/CustomLightSets.h"

#include "lighting/CustomLightEngine.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"

#include <algorithm>
#include <utility>

namespace zephyl {

CustomLightSets::CustomLightSets(ProfileDatabase& database, CustomLightTexts texts)
    : m_database(database), m_texts(std::move(texts)) {}

std::vector<CustomLightSetEntry> CustomLightSets::Entries() {
    std::vector<CustomLight> sets;
    m_database.ListCustomLights(kSettingsProfile, sets);
    if (sets.empty()) {
        AddSet(1);
        m_database.ListCustomLights(kSettingsProfile, sets);
    }
    std::vector<CustomLightSetEntry> entries;
    entries.reserve(sets.size());
    for (const CustomLight& set : sets) {
        entries.push_back({set.customlight_id, set.name, ShownName(set.name)});
    }
    return entries;
}

std::string CustomLightSets::ShownName(const std::string& storedName) const {
    return ReplaceDefaultPrefix(storedName, DefaultNameList::kCustomLighting,
                                m_texts(kTextCustomLightName));
}

CustomLightSetEntry CustomLightSets::AddSet(int number) {
    const std::string name = m_texts(kTextCustomLightName) + " " + std::to_string(number);
    const int id = m_database.AddCustomLight(kSettingsProfile, name);
    return {id > 0 ? id : 0, name, name};
}

bool CustomLightSets::DeleteSet(int id) {
    return m_database.DeleteCustomLight(id);
}

bool CustomLightSets::RenameSet(int id, const std::string& name) {
    return id > 0 && m_database.RenameCustomLight(id, name);
}

int CustomLightSets::Speed(int id) {
    int speed = kCustomLightDefaultSpeed;
    m_database.GetCustomLightSpeed(id, speed);
    return std::clamp(speed, 0, kCustomLightMaxSpeed);
}

bool CustomLightSets::StoreSpeed(int id, int speed) {
    return id > 0 && m_database.SetCustomLightSpeed(id, std::clamp(speed, 0, kCustomLightMaxSpeed));
}

void CustomLightSets::LoadSet(CustomLightEngine& engine, int id) {
    engine.ResetAllKeyInfo();
    engine.SetSpeed(Speed(id));
    std::vector<CustomLightKey> rows;
    m_database.ListCustomLightKeys(id, rows);
    for (const CustomLightKey& row : rows) {
        engine.SetKeyInfo(row.keycode, row.light_mode, static_cast<std::uint32_t>(row.rgbvalue),
                          row.light_type, row.colortype);
    }
}

int CustomLightSets::ApplyEffect(CustomLightEngine& engine, int setId, std::span<const int> checked,
                                 int lightMode, std::uint32_t colour, int multicolour) {
    const int colourType = multicolour != 0 ? 1 : 0;
    engine.SetKeyLightMode(checked, lightMode);
    engine.SetCheckKeyColor(checked, lightMode != 0 ? colour : 0, colourType);
    engine.SetCheckColorType(checked, colourType);
    if (setId < 1 || checked.empty()) {
        return 0;
    }
    std::vector<CustomLightKey> rows;
    rows.reserve(checked.size());
    for (int code : checked) {
        const std::optional<KeyEffect> effect = engine.KeyInfo(code);
        if (!effect) {
            continue;
        }
        CustomLightKey row;
        row.customlight_id = setId;
        row.keycode = code;
        row.rgbvalue = static_cast<int>(effect->colour);
        row.light_mode = lightMode;
        row.colortype = colourType;
        row.light_type = effect->lightType;
        rows.push_back(row);
    }
    return rows.empty() ? 0 : m_database.SaveCustomLightKeys(rows);
}

}  // namespace zephyl
