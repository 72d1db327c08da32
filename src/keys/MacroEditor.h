// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/MacroStepRow.h"
#include "keys/PageOutcome.h"

#include <string>
#include <vector>

namespace zephyl {

class ProfileDatabase;

/// One entry of the macro list.
struct MacroListEntry {
    int id = 0;
    std::string name;  ///< as stored
    std::string text;  ///< as shown
};

/// The editable settings of the selected macro, as the page's fields hold them.
struct MacroSettingsFields {
    std::string playTimes = "1";
    int delayType = 1;  ///< kDelayRecorded, kDelayNone or kDelayFixed
    std::string fixedPause = "10";
};

/// Where inserted steps go relative to the selected step.
enum class InsertPosition { kBefore, kAfter };

/// The macro page without its controls: the macro list, the selected macro's steps and settings
/// as edited, and every operation on them over the store. The step list is the working copy;
/// every step edit saves it whole and asks for an upload.
class MacroEditor {
public:
    explicit MacroEditor(ProfileDatabase& database, TextSource texts);

    /// Fills the list (default names in the current language) and shows the first macro.
    void LoadMacroPage();
    const std::vector<MacroListEntry>& Entries() const { return m_entries; }
    /// −1 when no entry is selected.
    int SelectedIndex() const { return m_selected; }
    int SelectedId() const;
    bool EditingEnabled() const { return !m_entries.empty(); }

    /// The list's selection changed.
    void SelectEntry(int index);
    /// Shows one macro's settings and steps; forgets the copy source.
    void ShowMacro(int id);

    /// Refused with a message when the list already holds the 100 macros the keyboard can address.
    PageOutcome NewMacro();
    /// Deletes the selected macro (with the key assignments that play it); the entry before it
    /// is selected and shown, and the macros and key tables are written again.
    PageOutcome DeleteMacroEntry();
    /// The in-place edit of the selected entry ended with `text`; an empty text is refused and
    /// the stored name shown again.
    PageOutcome RenameMacroEntry(const std::string& text);
    void CopyMacro();
    int CopySource() const { return m_copySource; }
    /// Adds a copy of the copy source named "<name> - <n>" with the first free n.
    PageOutcome PasteMacro();

    const std::vector<MacroStepRow>& Rows() const { return m_rows; }
    /// −1 when no row is selected.
    int SelectedRow() const { return m_selectedRow; }
    void SelectRow(int row);
    /// A recording's rows replace the steps; SaveMacro stores them.
    void ReplaceRows(std::vector<MacroStepRow> rows);
    /// The pause of one row was edited in place; stored with the next save.
    void SetRowDelay(int row, int delay);

    /// Key down and key up of a captured key (nothing when no key was captured).
    PageOutcome InsertKeySteps(InsertPosition position, int vk, const std::string& text);
    /// Button down and button up of a mouse button 1..3.
    PageOutcome InsertMouseSteps(InsertPosition position, int button, const std::string& text);
    /// A wait of `milliseconds` at the insertion point: added to the pause after the step
    /// before it (the selected step for kAfter, the one above it for kBefore, the last step
    /// without a selection). Nothing before the first step, for an empty macro or a wait of 0.
    PageOutcome InsertDelay(InsertPosition position, int milliseconds);
    PageOutcome MoveStepUp();
    PageOutcome MoveStepDown();
    PageOutcome DeleteStep();

    MacroSettingsFields& Settings() { return m_settings; }
    /// Stores the steps and settings of the selected macro and asks for an upload; a play count
    /// outside 1..99 is stored, and shown, as the nearest of the two.
    PageOutcome SaveMacro();

private:
    std::string DefaultMacroBase() const;
    int StoredMacroCount();
    PageOutcome InsertPair(InsertPosition position, MacroStepRow down, MacroStepRow up);

    ProfileDatabase& m_database;
    TextSource m_texts;
    std::vector<MacroListEntry> m_entries;
    int m_selected = -1;
    int m_copySource = 0;
    std::vector<MacroStepRow> m_rows;
    int m_selectedRow = -1;
    MacroSettingsFields m_settings;
};

}  // namespace zephyl
