// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/PageOutcome.h"

#include <string>
#include <vector>

namespace zephyl {

class KeySelection;
class ProfileDatabase;

/// One entry of the profile list.
struct ProfileEntry {
    int id = 0;
    std::string text;  ///< as shown; what the user edits and what an export is named after
};

/// The profile list of the custom-keys page without its control: which profiles there are, which
/// one is selected, and the changes of the current profile (its assignments are shown, edited
/// and sent), which it makes in the selection it is given: the controller's, so the window,
/// the command line and the worker agree.
class ProfileList {
public:
    ProfileList(ProfileDatabase& database, TextSource texts, KeySelection& selection);

    /// Fills the list, giving a new database its first three profiles and default settings, and
    /// makes the profile marked active current (0 when none is). Sends nothing. Choosing,
    /// adding or deleting a profile marks the new current one active.
    void LoadProfilePage();
    /// Fills the list again and selects the current profile's entry, leaving the current
    /// profile as it is (after its keys were reset, say).
    void ReloadEntries();

    const std::vector<ProfileEntry>& Entries() const { return m_entries; }
    /// −1 when no entry is selected.
    int SelectedIndex() const { return m_selected; }
    /// 0 when there is none.
    int CurrentProfile() const;
    /// The profile switch of a host action: current without moving the selection.
    void SetCurrentProfile(int profile);
    bool PictureEnabled() const { return m_pictureEnabled; }

    /// Adds "<default name> <entries + 1>", selects it and makes it current.
    PageOutcome NewProfile();
    /// Deletes the selected profile; see DeleteProfileEntry.
    PageOutcome DeleteSelectedProfile();
    /// Deletes the profile of entry `index` unless it is the only one. When it was the current
    /// profile, the entry before it (after it, for the first) becomes selected and current and
    /// its tables are written; otherwise the current profile stays, its entry selected, and
    /// nothing is sent.
    PageOutcome DeleteProfileEntry(int index);
    /// The in-place edit of the selected entry ended with `text`; see RenameProfileEntry.
    PageOutcome FinishProfileRename(const std::string& text);
    /// Stores `text` as the name of entry `index`, leaving the selection and the current
    /// profile as they are; an empty text is refused and the stored name shown again.
    PageOutcome RenameProfileEntry(int index, const std::string& text);
    /// The list's selection changed (−1: none).
    PageOutcome SelectProfileEntry(int index);
    /// An imported profile: appended without changing the selection.
    void AppendEntry(int id, const std::string& name);

private:
    std::string DefaultProfileBase() const;
    void FillEntries();
    void SelectEntryOf(int profile);
    void MakeCurrent(int profile);

    ProfileDatabase& m_database;
    TextSource m_texts;
    std::vector<ProfileEntry> m_entries;
    KeySelection& m_selection;
    int m_selected = -1;
    bool m_pictureEnabled = true;
};

}  // namespace zephyl
