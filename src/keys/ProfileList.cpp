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
    return DeleteProfileEntry(m_selected);
}

PageOutcome ProfileList::DeleteProfileEntry(int index) {
    if (m_entries.size() <= 1 || index < 0 || static_cast<size_t>(index) >= m_entries.size()) {
        return {};
    }
    const int deleted = m_entries[static_cast<size_t>(index)].id;
    if (!m_database.DeleteProfile(deleted)) {
        return {};
    }
    m_entries.erase(m_entries.begin() + index);
    const int current = m_selection.CurrentProfile();
    const bool currentListed =
        std::any_of(m_entries.begin(), m_entries.end(),
                    [current](const ProfileEntry& entry) { return entry.id == current; });
    if (deleted != current && currentListed) {
        // The keyboard keeps the tables it has; only the list changed. The deleted profile may
        // have been the one marked for the next start (a key switched profiles since).
        SelectEntryOf(current);
        m_database.MarkProfileActive(current);
        PageOutcome outcome;
        outcome.changed = true;
        return outcome;
    }
    // The first entry has none before it: the one after it, now first, takes its place.
    m_selected = std::max(index - 1, 0);
    MakeCurrent(m_entries[static_cast<size_t>(m_selected)].id);
    return WriteLayers();
}

PageOutcome ProfileList::FinishProfileRename(const std::string& text) {
    return RenameProfileEntry(m_selected, text);
}

PageOutcome ProfileList::RenameProfileEntry(int index, const std::string& text) {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) {
        return {};
    }
    ProfileEntry& entry = m_entries[static_cast<size_t>(index)];
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
