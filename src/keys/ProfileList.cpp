// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/ProfileList.h"

#include "app/KeySelection.h"
#include "app/WorkerCommand.h"
#include "keys/KeyTexts.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"

#include <algorithm>

namespace zephyl {
namespace {

PageOutcome WriteLayers() {
    PageOutcome outcome;
    outcome.changed = true;
    outcome.commands = {kCommandWriteKeyLayers};
    outcome.showWaitDialog = true;
    return outcome;
}

}  // namespace

ProfileList::ProfileList(ProfileDatabase& database, TextSource texts, KeySelection& selection)
    : m_database(database), m_texts(std::move(texts)), m_selection(selection) {}

int ProfileList::CurrentProfile() const {
    return m_selection.CurrentProfile();
}

void ProfileList::SetCurrentProfile(int profile) {
    m_selection.SetCurrentProfile(profile);
}

std::string ProfileList::DefaultProfileBase() const {
    std::string text = m_texts ? m_texts(kTextDefaultProfileName) : std::string();
    return text.empty() ? std::string("My Config") : text;
}

void ProfileList::FillEntries() {
    m_entries.clear();
    std::vector<Profile> profiles;
    const std::string base = DefaultProfileBase();
    m_database.PrepareProfiles(base, profiles);
    for (const Profile& profile : profiles) {
        m_entries.push_back({profile.profile,
                             ReplaceDefaultPrefix(profile.name, DefaultNameList::kProfiles, base)});
    }
}

void ProfileList::MakeCurrent(int profile) {
    m_selection.SetCurrentProfile(profile);
    // Remembered in the store, so the next start shows the profile the keyboard is given now.
    m_database.MarkProfileActive(profile);
}

void ProfileList::SelectEntryOf(int profile) {
    m_selected = -1;
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [profile](const auto& e) { return e.id == profile; });
    if (found != m_entries.end()) {
        m_selected = static_cast<int>(found - m_entries.begin());
    }
    m_pictureEnabled = true;
}

void ProfileList::LoadProfilePage() {
    FillEntries();
    m_selection.SetCurrentProfile(m_database.GetActiveProfile());
    SelectEntryOf(m_selection.CurrentProfile());
}

void ProfileList::ReloadEntries() {
    FillEntries();
    SelectEntryOf(m_selection.CurrentProfile());
}

PageOutcome ProfileList::NewProfile() {
    const std::string name = DefaultProfileBase() + " " + std::to_string(m_entries.size() + 1);
    const int id = m_database.AddProfile(name, "");
    if (id <= 0) {
        return {};
    }
    m_entries.push_back({id, name});
    m_selected = static_cast<int>(m_entries.size()) - 1;
    MakeCurrent(id);
    m_pictureEnabled = true;
    return WriteLayers();
}

PageOutcome ProfileList::DeleteSelectedProfile() {
    if (m_entries.size() <= 1 || m_selected < 0) {
        return {};
    }
    if (!m_database.DeleteProfile(m_entries[static_cast<size_t>(m_selected)].id)) {
        return {};
    }
    m_entries.erase(m_entries.begin() + m_selected);
    // The first entry has none before it: the one after it, now first, takes its place.
    m_selected = std::max(m_selected - 1, 0);
    MakeCurrent(m_entries[static_cast<size_t>(m_selected)].id);
    return WriteLayers();
}

PageOutcome ProfileList::FinishProfileRename(const std::string& text) {
    if (m_selected < 0) {
        return {};
    }
    ProfileEntry& entry = m_entries[static_cast<size_t>(m_selected)];
    if (text.empty()) {
        PageOutcome outcome;
        outcome.messageText = kTextEmptyName;
        outcome.messageCaption = kTextEmptyNameCaption;
        m_database.GetProfileName(entry.id, entry.text);
        return outcome;
    }
    m_database.RenameProfile(entry.id, text);
    entry.text = text;
    PageOutcome outcome;
    outcome.changed = true;
    return outcome;
}

PageOutcome ProfileList::SelectProfileEntry(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) {
        m_selected = -1;
        m_pictureEnabled = false;
        return {};
    }
    m_selected = index;
    m_pictureEnabled = true;
    MakeCurrent(m_entries[static_cast<size_t>(index)].id);
    return WriteLayers();
}

void ProfileList::AppendEntry(int id, const std::string& name) {
    m_entries.push_back({id, name});
}

}  // namespace zephyl
