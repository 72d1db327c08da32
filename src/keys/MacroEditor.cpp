// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroEditor.h"

#include "app/WorkerCommand.h"
#include "keys/KeyTable.h"
#include "keys/KeyTexts.h"
#include "keys/MacroRecorder.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr int kFewestPlayTimes = 1;
constexpr int kMostPlayTimes = 99;
constexpr int kInsertedPause = 10;
constexpr int kLastPasteNumber = 1000;

PageOutcome Message(int text, int caption) {
    PageOutcome outcome;
    outcome.messageText = text;
    outcome.messageCaption = caption;
    return outcome;
}

PageOutcome Upload() {
    PageOutcome outcome;
    outcome.changed = true;
    outcome.commands = {kCommandWriteMacros};
    outcome.showWaitDialog = true;
    return outcome;
}

}  // namespace

MacroEditor::MacroEditor(ProfileDatabase& database, TextSource texts)
    : m_database(database), m_texts(std::move(texts)) {}

std::string MacroEditor::DefaultMacroBase() const {
    std::string text = m_texts ? m_texts(kTextDefaultMacroName) : std::string();
    return text.empty() ? std::string("New Macro") : text;
}

int MacroEditor::StoredMacroCount() {
    std::vector<Macro> macros;
    return m_database.ListMacros(macros);
}

void MacroEditor::LoadMacroPage() {
    m_entries.clear();
    m_rows.clear();
    m_selected = -1;
    m_selectedRow = -1;
    std::vector<Macro> macros;
    m_database.ListMacros(macros);
    const std::string base = DefaultMacroBase();
    for (const Macro& macro : macros) {
        m_entries.push_back({macro.macro_id, macro.name,
                             ReplaceDefaultPrefix(macro.name, DefaultNameList::kMacros, base)});
    }
    if (!m_entries.empty()) {
        SelectEntry(0);
    }
}

int MacroEditor::SelectedId() const {
    return m_selected >= 0 ? m_entries[static_cast<size_t>(m_selected)].id : 0;
}

void MacroEditor::SelectEntry(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) {
        m_selected = -1;
        return;
    }
    m_selected = index;
    ShowMacro(m_entries[static_cast<size_t>(index)].id);
}

void MacroEditor::ShowMacro(int id) {
    m_rows.clear();
    m_selectedRow = -1;
    m_settings = MacroSettingsFields{};
    m_copySource = 0;
    Macro macro;
    if (m_database.GetMacro(id, macro)) {
        m_settings.playTimes = std::to_string(macro.play_times);
        if (macro.delay_type == kDelayNone || macro.delay_type == kDelayFixed) {
            m_settings.delayType = macro.delay_type;
        }
        if (macro.delay_type == kDelayFixed) {
            m_settings.fixedPause = std::to_string(macro.delay_time);
        }
    }
    std::vector<MacroStep> steps;
    m_database.ListMacroSteps(id, steps);
    for (const MacroStep& step : steps) {
        m_rows.push_back({step.desc, step.type, step.value, step.delay_time});
    }
}

PageOutcome MacroEditor::NewMacro() {
    if (StoredMacroCount() >= static_cast<int>(kMacroTableEntries)) {
        return Message(kTextTooManyMacros, kTextMacroCaption);
    }
    const std::string name = DefaultMacroBase() + " " + std::to_string(m_entries.size() + 1);
    const int id = m_database.AddMacro(name);
    PageOutcome outcome;
    if (id <= 0) {
        return outcome;
    }
    m_entries.push_back({id, name, name});
    SelectEntry(static_cast<int>(m_entries.size()) - 1);
    outcome.changed = true;
    return outcome;
}

PageOutcome MacroEditor::DeleteMacroEntry() {
    PageOutcome outcome;
    const int id = SelectedId();
    if (id <= 0 || !m_database.DeleteMacro(id)) {
        return outcome;
    }
    const int removed = m_selected;
    m_entries.erase(m_entries.begin() + removed);
    m_rows.clear();
    m_selectedRow = -1;
    m_selected = -1;
    // The entry before takes the selection (the new first when the first went), and is shown:
    // a step list left empty under a selected macro would wipe its steps at the next save.
    if (!m_entries.empty()) {
        SelectEntry(std::max(removed - 1, 0));
    }
    // Keys name macros by their place in the image, and every macro after this one has moved
    // up a place: the image and the key tables must both be written again, or keys would play
    // their neighbours' macros after the next upload.
    outcome.changed = true;
    outcome.commands = {kCommandWriteMacros, kCommandWriteKeyLayers};
    outcome.showWaitDialog = true;
    return outcome;
}

PageOutcome MacroEditor::RenameMacroEntry(const std::string& text) {
    if (m_selected < 0) {
        return {};
    }
    MacroListEntry& entry = m_entries[static_cast<size_t>(m_selected)];
    if (text.empty()) {
        return Message(kTextEmptyName, kTextEmptyNameCaption);
    }
    m_database.RenameMacro(entry.id, text);
    entry.name = text;
    entry.text = text;
    PageOutcome outcome;
    outcome.changed = true;
    return outcome;
}

void MacroEditor::CopyMacro() {
    m_copySource = SelectedId();
}

PageOutcome MacroEditor::PasteMacro() {
    Macro source;
    if (m_copySource <= 0 || !m_database.GetMacro(m_copySource, source)) {
        return {};
    }
    if (StoredMacroCount() >= static_cast<int>(kMacroTableEntries)) {
        return Message(kTextTooManyMacros, kTextMacroCaption);
    }
    const std::string base = source.name + " -";
    std::string name;
    for (int n = 1; n <= kLastPasteNumber; ++n) {
        name = base + " " + std::to_string(n);
        const bool taken = std::any_of(m_entries.begin(), m_entries.end(),
                                       [&name](const auto& e) { return e.text == name; });
        if (!taken) {
            break;
        }
    }
    Macro copy = source;
    copy.name = name;
    const int id = m_database.AddMacroWithSettings(copy);
    PageOutcome outcome;
    if (id <= 0) {
        return outcome;
    }
    m_entries.push_back({id, name, name});
    std::vector<MacroStep> steps;
    m_database.ListMacroSteps(m_copySource, steps);
    for (MacroStep& step : steps) {
        step.macro_id = id;
    }
    m_database.AddMacroSteps(steps);
    outcome.changed = true;
    return outcome;
}

void MacroEditor::SelectRow(int row) {
    m_selectedRow = row >= 0 && static_cast<size_t>(row) < m_rows.size() ? row : -1;
}

void MacroEditor::ReplaceRows(std::vector<MacroStepRow> rows) {
    m_rows = std::move(rows);
    m_selectedRow = -1;
}

void MacroEditor::SetRowDelay(int row, int delay) {
    if (row >= 0 && static_cast<size_t>(row) < m_rows.size()) {
        m_rows[static_cast<size_t>(row)].delay = std::max(delay, 0);
    }
}

PageOutcome MacroEditor::InsertPair(InsertPosition position, MacroStepRow down, MacroStepRow up) {
    const int count = static_cast<int>(m_rows.size());
    int at = count;
    if (m_selectedRow >= 0) {
        if (position == InsertPosition::kBefore) {
            at = m_selectedRow;
        } else if (m_selectedRow < count - 1) {
            at = m_selectedRow + 1;
        }
    }
    m_rows.insert(m_rows.begin() + at, {std::move(down), std::move(up)});
    // The selection stays on the row it was on.
    if (m_selectedRow >= at) {
        m_selectedRow += 2;
    }
    return SaveMacro();
}

PageOutcome MacroEditor::InsertKeySteps(InsertPosition position, int vk, const std::string& text) {
    if (vk == 0) {
        return {};
    }
    return InsertPair(position, {text, kStepKeyDown, vk, kInsertedPause},
                      {text, kStepKeyUp, vk, kInsertedPause});
}

PageOutcome MacroEditor::InsertMouseSteps(InsertPosition position, int button,
                                          const std::string& text) {
    return InsertPair(position, {text, kStepButtonDown, button, kInsertedPause},
                      {text, kStepButtonUp, button, kInsertedPause});
}

PageOutcome MacroEditor::InsertDelay(InsertPosition position, int milliseconds) {
    const int count = static_cast<int>(m_rows.size());
    int row = count - 1;
    if (m_selectedRow >= 0 && m_selectedRow < count) {
        row = position == InsertPosition::kAfter ? m_selectedRow : m_selectedRow - 1;
    }
    if (row < 0 || milliseconds <= 0) {
        return {};
    }
    // The keyboard waits at most 65535 ms after a step.
    int& pause = m_rows[static_cast<size_t>(row)].delay;
    pause =
        static_cast<int>(std::min<long long>(static_cast<long long>(pause) + milliseconds, 0xFFFF));
    return SaveMacro();
}

PageOutcome MacroEditor::MoveStepUp() {
    if (m_selectedRow <= 0) {
        return {};
    }
    std::swap(m_rows[static_cast<size_t>(m_selectedRow)],
              m_rows[static_cast<size_t>(m_selectedRow - 1)]);
    --m_selectedRow;
    return SaveMacro();
}

PageOutcome MacroEditor::MoveStepDown() {
    if (m_selectedRow < 0 || static_cast<size_t>(m_selectedRow) + 1 >= m_rows.size()) {
        return {};
    }
    std::swap(m_rows[static_cast<size_t>(m_selectedRow)],
              m_rows[static_cast<size_t>(m_selectedRow + 1)]);
    ++m_selectedRow;
    return SaveMacro();
}

PageOutcome MacroEditor::DeleteStep() {
    if (m_selectedRow < 0) {
        return {};
    }
    m_rows.erase(m_rows.begin() + m_selectedRow);
    SelectRow(m_selectedRow);
    return SaveMacro();
}

PageOutcome MacroEditor::SaveMacro() {
    const int id = SelectedId();
    if (id > 0) {
        m_database.DeleteMacroSteps(id);
        std::vector<MacroStep> steps;
        for (size_t i = 0; i < m_rows.size(); ++i) {
            const MacroStepRow& row = m_rows[i];
            MacroStep step;
            step.macro_id = id;
            step.type = row.type;
            step.record_index = static_cast<int>(i);
            step.value = row.value;
            step.delay_time = row.delay;
            step.desc = row.text;
            steps.push_back(step);
        }
        m_database.AddMacroSteps(steps);
    }
    int playTimes = ParseConfigNumber(m_settings.playTimes);
    if (playTimes < kFewestPlayTimes || playTimes > kMostPlayTimes) {
        playTimes = std::clamp(playTimes, kFewestPlayTimes, kMostPlayTimes);
        m_settings.playTimes = std::to_string(playTimes);
    }
    Macro macro;
    macro.macro_id = id;
    macro.play_times = playTimes;
    macro.delay_type = m_settings.delayType == kDelayNone || m_settings.delayType == kDelayFixed
                           ? m_settings.delayType
                           : kDelayRecorded;
    macro.delay_time =
        macro.delay_type == kDelayFixed ? ParseConfigNumber(m_settings.fixedPause) : 10;
    if (id > 0) {
        m_database.UpdateMacroSettings(macro);
    }
    return Upload();
}

}  // namespace zephyl
