// SPDX-License-Identifier: GPL-2.0-or-later
// The macro page's steps: inserting, moving and deleting them, editing their pauses, capturing
// the key to insert, and recording.
#include "ui/window/MacroPage.h"

#include "app/KeyboardController.h"
#include "store/ProfileDatabase.h"
#include "text/LanguageText.h"
#include "ui/capture/KeyboardGrab.h"
#include "ui/window/WindowServices.h"

#include <QLineEdit>

namespace zephyl::window {
namespace {

enum EventKind { kEventKey = 0, kEventMouse = 1, kEventDelay = 2 };

// Mouse buttons 1..3 are named by texts 307..309, the items of the page's mouse list.
constexpr int kFirstMouseButtonText = 306;

// A mouse step keeps the name it was stored with (exchange files carry it); the list names the
// button in the language of the moment, so steps recorded in another language read the same.
QString StepName(const MacroStepRow& row) {
    const bool mouse = row.type == kStepButtonDown || row.type == kStepButtonUp;
    if (mouse && row.value >= kMouseLeft && row.value <= kMouseRight) {
        const std::string name = LanguageText(kFirstMouseButtonText + row.value);
        if (!name.empty()) {
            return QString::fromStdString(name);
        }
    }
    return QString::fromStdString(row.text);
}

std::vector<glint::RecordItem> RecordItems(const std::vector<MacroStepRow>& rows) {
    std::vector<glint::RecordItem> items;
    items.reserve(rows.size());
    for (const MacroStepRow& row : rows) {
        items.push_back({StepName(row), row.type, row.value, row.delay});
    }
    return items;
}

}  // namespace

void MacroPage::ShowSteps() {
    m_steps->SetRecordItems(RecordItems(m_editor.Rows()));
    m_steps->SetCurSel(m_editor.SelectedRow());
}

void MacroPage::EditSteps(PageOutcome (MacroEditor::*operation)()) {
    if (m_capture.Recording()) {
        return;
    }
    PageOutcome outcome;
    {
        std::lock_guard lock(m_mutex);
        m_editor.SelectRow(m_steps->GetCurSel());
        ReadSettingsFields();
        outcome = (m_editor.*operation)();
        ShowSteps();
        // A play count out of range is shown as it was stored.
        m_playTimes->SetEditText(QString::fromStdString(m_editor.Settings().playTimes));
    }
    ReleaseKeyField();
    ApplyOutcome(outcome);
}

void MacroPage::OnInsertSteps() {
    if (m_capture.Recording()) {
        return;
    }
    const InsertPosition position =
        m_position->GetCurSel() == 1 ? InsertPosition::kAfter : InsertPosition::kBefore;
    int kind = kEventKey;
    for (int i = 0; i < 3; ++i) {
        if (m_kinds[i]->GetCheck() != 0) {
            kind = i;
        }
    }
    PageOutcome outcome;
    {
        std::lock_guard lock(m_mutex);
        if (m_editor.SelectedId() <= 0) {
            return;
        }
        m_editor.SelectRow(m_steps->GetCurSel());
        ReadSettingsFields();
        if (kind == kEventKey) {
            // A key only while the field shows it: showing a macro empties the field.
            const QString text = m_keyField->GetEditText();
            outcome = m_editor.InsertKeySteps(
                position, text.isEmpty() ? 0 : m_capture.CapturedKey(), text.toStdString());
        } else if (kind == kEventMouse) {
            const int item = m_mouseButton->GetCurSel();
            outcome = m_editor.InsertMouseSteps(position, m_mouseButton->GetItemData(item),
                                                m_mouseButton->GetItemText(item).toStdString());
        } else {
            // A wait is the pause after a step: it lengthens the one at the insertion point.
            const QString text = m_delayField->GetEditText();
            if (text.isEmpty()) {
                return;
            }
            outcome = m_editor.InsertDelay(position, text.toInt());
        }
        ShowSteps();
    }
    ReleaseKeyField();
    ApplyOutcome(outcome);
}

void MacroPage::ReleaseKeyField() {
    // The wait dialog gives the focus back where it was when it closes; the key field would
    // then start capturing again, empty, without the user asking.
    if (QLineEdit* line = m_keyField->GetEditHwnd()) {
        line->clearFocus();
    }
    EndKeyCapture();
}

// The editor takes the list's selection before each step operation, so only an edited pause
// needs telling.
void MacroPage::OnDelayEdited(int row) {
    const std::vector<glint::RecordItem> items = m_steps->GetRecordItems();
    if (row < 0 || static_cast<size_t>(row) >= items.size()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_editor.SetRowDelay(row, items[static_cast<size_t>(row)].delay);
}

void MacroPage::BeginKeyCapture() {
    if (!m_capture.BeginKeyCapture()) {
        return;
    }
    m_keyField->SetEditText({});
    BeginGrab();
}

void MacroPage::EndKeyCapture() {
    if (m_capture.CaptureMode() != MacroKeyCapture::kCapturingKey) {
        return;
    }
    m_capture.EndKeyCapture();
    EndGrab();
}

void MacroPage::BeginGrab() {
    m_grabToken = KeyboardGrab::Instance().Begin(
        &Window(), [this](const HookKeyEvent& event) { OnCapturedEvent(event); });
}

void MacroPage::EndGrab() {
    KeyboardGrab::Instance().End(m_grabToken);
    m_grabToken = 0;
}

void MacroPage::StartRecording() {
    if (m_capture.Recording()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_editor.SelectedId() <= 0) {
            return;  // nothing to record into
        }
    }
    ReleaseKeyField();
    const int space =
        RecordingSpace(m_macros->GetItemCount(), Controller().Database().CountAllMacroSteps());
    const RecordingStart start = m_capture.StartRecording(
        space, CheckedDelayType(), m_fixedPause->GetEditText().toStdString());
    if (start.messageText != 0) {
        Services().ShowMessageBox(Text(start.messageTitle), Text(start.messageText), kMessageOk);
    }
    if (!start.started) {
        return;
    }
    ShowRecordingButtons(true);
    EnableEditing(false);
    m_steps->DeleteAllItems();
    BeginGrab();
}

void MacroPage::StopRecording() {
    if (!m_capture.Recording()) {
        return;
    }
    m_capture.StopRecording();
    FinishRecording();
}

void MacroPage::FinishRecording() {
    ShowRecordingButtons(false);
    EndGrab();
    {
        std::lock_guard lock(m_mutex);
        m_editor.ReplaceRows(m_capture.Rows());
        ShowSteps();
    }
    OnSave();
    EnableEditing(true);
}

void MacroPage::ShowRecordingButtons(bool recording) {
    m_recording.store(recording);
    m_startRecording->SetVisible(!recording);
    m_stopRecording->SetVisible(recording);
}

void MacroPage::OnCapturedEvent(const HookKeyEvent& event) {
    const CaptureResult result = m_capture.OnHookKeyEvent(event);
    if (result.capturedKeyChanged) {
        m_keyField->SetEditText(QString::fromStdString(m_capture.CapturedText()));
    }
    if (m_capture.Recording() || result.recordingStopped) {
        m_steps->SetRecordItems(RecordItems(m_capture.Rows()));
        m_steps->SetCurSel(static_cast<int>(m_capture.Rows().size()) - 1);
    }
    if (result.recordingStopped) {
        // The space is used up: the rows recorded so far are kept.
        FinishRecording();
        Services().ShowMessageBox(Text(result.messageTitle), Text(result.messageText), kMessageOk);
    }
}

}  // namespace zephyl::window
