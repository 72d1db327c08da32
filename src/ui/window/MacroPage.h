// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/MacroEditor.h"
#include "keys/MacroRecorder.h"
#include "ui/window/Page.h"

#include <atomic>
#include <mutex>

namespace zephyl::window {

/// The macro page: the macro list with its operations, the insert and recording settings of the
/// selected macro, and its steps.
class MacroPage : public Page {
public:
    static constexpr int kContainer = 56;
    enum Id : int {
        kListPanel = 250,
        kEditorPanel = 278,
        kStepsPanel = 283,
        kListTitle = 251,
        kEditorTitle = 253,
        kMacros = 252,
        kInsertPosition = 254,
        kInsertKey = 255,
        kInsertMouse = 256,
        kInsertDelay = 257,
        kKeyField = 258,
        kMouseButton = 260,
        kDelayField = 259,
        kInsert = 261,
        kNew = 262,
        kDelete = 263,
        kCopy = 264,
        kImport = 265,
        kExport = 266,
        kRename = 267,
        kRecordHint = 268,
        kRepeatText = 270,
        kPlayTimes = 269,
        kRecordedDelays = 271,
        kNoDelays = 272,
        kFixedDelay = 273,
        kFixedPause = 274,
        kFixedPauseUnit = 275,
        kStartRecording = 276,
        kStopRecording = 277,
        kStepsTitle = 279,
        kStepUp = 280,
        kStepDown = 281,
        kStepDelete = 282,
        kFirstHeading = 284,
        kSteps = 287,
        kSave = 288,
    };
    static constexpr int kMenuPaste = 610;

    explicit MacroPage(const PageContext& context);

    void OnFeatureLoaded(int feature) override;

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;

    /// The macro page's key capture; window thread.
    const MacroKeyCapture& KeyCapture() const { return m_capture; }

protected:
    void BuildControls() override;

private:
    /// Fills the list from the store and shows the first macro. Any thread.
    void OnPageLoaded();
    /// The list and the selected macro's fields as the editor holds them; caller holds m_mutex.
    void ShowEditor();
    void ShowEntries();
    void ShowSettings();
    void EnableEditing(bool enabled);
    /// Which field the event kind shows: 0 key, 1 mouse button, 2 delay.
    void ShowEventKind(int kind);
    void ShowDelayType(int delayType);

    void OnSelect();
    void OnRenamed();
    void OnContextMenu();
    /// Runs an operation on the macro list, then shows the list and the selected macro.
    void RunListOperation(PageOutcome (MacroEditor::*operation)());
    void OnCopy();
    void OnImport();
    void OnExport();
    void OnSave();
    /// The settings fields into the editor; caller holds m_mutex.
    void ReadSettingsFields();
    /// kDelayRecorded, kDelayNone or kDelayFixed, as the radio buttons say.
    int CheckedDelayType() const;
    /// The step list as the editor holds it; caller holds m_mutex.
    void ShowSteps();
    /// Runs a step operation of the editor, shows the steps and applies its outcome.
    void EditSteps(PageOutcome (MacroEditor::*operation)());
    void OnInsertSteps();
    void OnDelayEdited(int row);

    // Key capture and recording, with the keyboard grabbed for the main window.
    void BeginKeyCapture();
    void EndKeyCapture();
    /// Takes the focus from the key field and ends its capture.
    void ReleaseKeyField();
    void BeginGrab();
    void StartRecording();
    void StopRecording();
    /// The recording ended: its rows become the macro's steps and are saved.
    void FinishRecording();
    void OnCapturedEvent(const HookKeyEvent& event);
    void ShowRecordingButtons(bool recording);
    void EndGrab();

    std::mutex m_mutex;  ///< the editor: loaded on the worker, edited on the window thread
    MacroEditor m_editor;
    /// Window thread only; its held keys live as long as the window.
    MacroKeyCapture m_capture;
    int m_grabToken = 0;
    /// Whether a recording runs, for page loads on the worker.
    std::atomic<bool> m_recording{false};

    glint::MListBox* m_macros = nullptr;
    glint::MComboBox* m_position = nullptr;
    glint::CRadioButton* m_kinds[3] = {};
    glint::MEdit* m_keyField = nullptr;
    glint::MComboBox* m_mouseButton = nullptr;
    glint::MEdit* m_delayField = nullptr;
    glint::MEdit* m_playTimes = nullptr;
    glint::CRadioButton* m_delayTypes[3] = {};
    glint::MEdit* m_fixedPause = nullptr;
    glint::MButton* m_startRecording = nullptr;
    glint::MButton* m_stopRecording = nullptr;
    glint::CRecordList* m_steps = nullptr;
};

}  // namespace zephyl::window
