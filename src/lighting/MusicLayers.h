// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "store/ProfileRecords.h"

#include <optional>
#include <string>
#include <vector>

namespace zephyl {

class ProfileDatabase;

/// A layer as the list shows it.
struct MusicLayerEntry {
    int id = 0;
    std::string shownName;
    bool selected = false;
};

/// Gain slider positions are stored as amplitudes five times larger.
inline constexpr int kMusicGainStep = 5;

/// The music layers of profile 1 without the page: the window and zephylctl work through it.
class MusicLayers {
public:
    explicit MusicLayers(ProfileDatabase& database) : m_database(database) {}

    /// The layers in stored order; with none stored, a first one is made and selected.
    std::vector<MusicLayerEntry> Entries(bool perKeyColour);
    /// The selected layer's id (the first one when none is marked); 0 without layers.
    int SelectedId(bool perKeyColour);
    /// A new layer named "<default> <count + 1>"; its id, 0 when the insert failed.
    int Add(bool perKeyColour);
    /// Deletes `id` when it is not the last layer and selects the one before it; the id now
    /// selected, or nothing when the delete was refused.
    std::optional<int> Delete(int id, bool perKeyColour);
    /// An empty name keeps the stored one.
    bool Rename(int id, const std::string& name);
    bool Select(int id);
    std::optional<MusicLayer> Read(int id);
    bool Store(const MusicLayer& layer);

    /// How a stored name is shown: a default name in any language gets the current one.
    static std::string ShownName(const std::string& storedName);

private:
    int AddNamed(int number, int foremode);

    ProfileDatabase& m_database;
};

}  // namespace zephyl
