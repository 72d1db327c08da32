// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

class CustomLightEngine;
class ProfileDatabase;

/// Language entries of custom lighting.
inline constexpr int kTextCustomLightName = 369;  ///< start of a default set name
inline constexpr int kTextSelectSetFirst = 385;
inline constexpr int kTextExportLighting = 386;
inline constexpr int kTextFileUnreadable = 895;
/// Speed of a set without a stored one.
inline constexpr int kCustomLightDefaultSpeed = 15;

/// Reads a language entry of section "KB.DIALOG"; LanguageText in the programs, a table in tests.
using CustomLightTexts = std::function<std::string(int entry)>;

/// One entry of the set list.
struct CustomLightSetEntry {
    int id = 0;
    std::string storedName;
    std::string shownName;  ///< a default name in the current language
};

/// The custom lighting sets of profile 1 and what the page does with them, without the page:
/// the window and zephylctl both work through it.
class CustomLightSets {
public:
    CustomLightSets(ProfileDatabase& database, CustomLightTexts texts);

    /// The sets in stored order. With none stored, one named by entry 369 and 1 is made first.
    std::vector<CustomLightSetEntry> Entries();
    /// How a stored name is shown: a default name in any language gets the current one.
    std::string ShownName(const std::string& storedName) const;
    /// A new set named by entry 369 and `number`; its entry, id 0 when the insert failed.
    CustomLightSetEntry AddSet(int number);
    /// Removes the set and its key rows.
    bool DeleteSet(int id);
    bool RenameSet(int id, const std::string& name);
    /// The stored speed; kCustomLightDefaultSpeed when the set has none.
    int Speed(int id);
    /// Stores the speed of a set (id > 0 only).
    bool StoreSpeed(int id, int speed);
    /// Puts set `id` into the animation: every key cleared, the set's speed, its key rows.
    /// Set 0 leaves an empty picture.
    void LoadSet(CustomLightEngine& engine, int id);
    /// Gives the keys `checked` the effect `lightMode` with `colour` (0 for effect 0) and the
    /// colour type `multicolour`; for a set id ≥ 1 their rows are stored in one transaction,
    /// effect 0 included. Returns the number of rows written.
    int ApplyEffect(CustomLightEngine& engine, int setId, std::span<const int> checked,
                    int lightMode, std::uint32_t colour, int multicolour);

private:
    ProfileDatabase& m_database;
    CustomLightTexts m_texts;
};

}  // namespace zephyl
