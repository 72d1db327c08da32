// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/MusicLayers.h"

#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"

namespace zephyl {
namespace {

// A first layer turns the hue wheel on an RGB keyboard; a new one shows the six-colour
// gradient; a single-colour keyboard has white only.
constexpr int kFirstForeRgb = 4;
constexpr int kNewForeRgb = 2;
constexpr int kForeSingleColour = 6;

}  // namespace

std::string MusicLayers::ShownName(const std::string& storedName) {
    return LocalizedDefaultName(storedName, DefaultNameList::kMusicLayers);
}

int MusicLayers::AddNamed(int number, int foremode) {
    return m_database.AddMusicLayer(NewDefaultName(DefaultNameList::kMusicLayers, number),
                                    foremode);
}

std::vector<MusicLayerEntry> MusicLayers::Entries(bool perKeyColour) {
    std::vector<MusicLayer> rows;
    m_database.ListMusicLayers(rows);
    if (rows.empty()) {
        const int id = AddNamed(1, perKeyColour ? kFirstForeRgb : kForeSingleColour);
        if (id > 0) {
            m_database.SelectMusicLayer(id);
        }
        m_database.ListMusicLayers(rows);
    }
    const int selected = m_database.GetSelectedMusicLayer();
    std::vector<MusicLayerEntry> entries;
    for (const MusicLayer& row : rows) {
        entries.push_back({row.layer_id, ShownName(row.name), row.layer_id == selected});
    }
    return entries;
}

int MusicLayers::SelectedId(bool perKeyColour) {
    const std::vector<MusicLayerEntry> entries = Entries(perKeyColour);
    for (const MusicLayerEntry& entry : entries) {
        if (entry.selected) {
            return entry.id;
        }
    }
    return entries.empty() ? 0 : entries.front().id;
}

int MusicLayers::Add(bool perKeyColour) {
    const int count = m_database.CountMusicLayers();
    const int id = AddNamed(count + 1, perKeyColour ? kNewForeRgb : kForeSingleColour);
    if (id > 0) {
        m_database.SelectMusicLayer(id);
    }
    return id;
}

std::optional<int> MusicLayers::Delete(int id, bool perKeyColour) {
    const std::vector<MusicLayerEntry> entries = Entries(perKeyColour);
    if (entries.size() < 2) {
        return std::nullopt;
    }
    size_t at = 0;
    while (at < entries.size() && entries[at].id != id) {
        ++at;
    }
    if (at == entries.size() || !m_database.DeleteMusicLayer(id)) {
        return std::nullopt;
    }
    const int next = entries[at == 0 ? 1 : at - 1].id;
    m_database.SelectMusicLayer(next);
    return next;
}

bool MusicLayers::Rename(int id, const std::string& name) {
    if (name.empty()) {
        return false;
    }
    return m_database.RenameMusicLayer(id, name);
}

bool MusicLayers::Select(int id) {
    return m_database.SelectMusicLayer(id);
}

std::optional<MusicLayer> MusicLayers::Read(int id) {
    MusicLayer layer;
    if (!m_database.GetMusicLayer(id, layer)) {
        return std::nullopt;
    }
    return layer;
}

bool MusicLayers::Store(const MusicLayer& layer) {
    return m_database.UpdateMusicLayer(layer);
}

}  // namespace zephyl
