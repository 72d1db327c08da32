// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/MacroPage.h"

#include "app/KeyboardController.h"
#include "keys/KeyTexts.h"
#include "keys/MacroExchange.h"
#include "keys/MacroRecorder.h"
#include "text/DefaultNames.h"
#include "text/LanguageText.h"
#include "ui/window/FileChoiceTexts.h"
#include "ui/window/WindowServices.h"

#include <QLineEdit>

#include <algorithm>

namespace zephyl::window {
namespace {

constexpr const char* kMacroFilter = "Macros (*.xml)";

/// Controls that act on the selected macro: off while the list is empty.
constexpr int kEditingControls[] = {MacroPage::kInsertPosition, MacroPage::kInsertKey,
                                    MacroPage::kInsertMouse,    MacroPage::kInsertDelay,
                                    MacroPage::kKeyField,       MacroPage::kMouseButton,
                                    MacroPage::kDelayField,     MacroPage::kInsert,
                                    MacroPage::kDelete,         MacroPage::kCopy,
                                    MacroPage::kExport,         MacroPage::kRename,
                                    MacroPage::kPlayTimes,      MacroPage::kRecordedDelays,
                                    MacroPage::kNoDelays,       MacroPage::kFixedDelay,
                                    MacroPage::kFixedPause,     MacroPage::kStartRecording,
                                    MacroPage::kStepUp,         MacroPage::kStepDown,
                                    MacroPage::kStepDelete,     MacroPage::kSave};

}  // namespace

MacroPage::MacroPage(const PageContext& context)
    : Page(context, kContainer),
      m_editor(context.controller->Database(), [](int id) { return LanguageText(id); }),
      m_capture(context.keyNames) {}

void MacroPage::BuildControls() {
    MakePanel(kListPanel);
    MakePanel(kEditorPanel);
    MakePanel(kStepsPanel);
    MakeText(kListTitle, 300);
    MakeText(kEditorTitle, 301);
    m_macros = MakeList(kMacros);

    m_position = MakeCombo(kInsertPosition);
    LanguageItems(m_position, {{302, 0}, {303, 1}});
    m_position->SetCurSel(0);
    const int kindTexts[3] = {304, 305, 306};
    for (int i = 0; i < 3; ++i) {
        m_kinds[i] = Make<glint::CRadioButton>(kInsertKey + i);
        m_kinds[i]->SetImage(QStringLiteral("btn_radiobox.png"), 8);
        m_kinds[i]->SetGroupName(QStringLiteral("MACRO_EVENT"));
        CaptionText(m_kinds[i], kindTexts[i]);
    }
    m_kinds[0]->SetCheck(1);
    m_keyField = Make<glint::MEdit>(kKeyField);
    m_keyField->SetImage(QStringLiteral("img_edit.png"), 4);
    m_keyField->SetReadOnly(true);  // keys are captured, not typed
    // Capturing starts when the user clicks into the field, never because the window handed it
    // the focus on its own (Tab, or coming back from a dialog).
    m_keyField->GetEditHwnd()->setFocusPolicy(Qt::ClickFocus);
    m_mouseButton = MakeCombo(kMouseButton);
    LanguageItems(m_mouseButton, {{307, 1}, {308, 2}, {309, 3}});
    m_mouseButton->SetCurSel(0);
    m_delayField = Make<glint::MEdit>(kDelayField);
    m_delayField->SetImage(QStringLiteral("img_edit.png"), 4);
    m_delayField->SetNumberOnly(true);
    ShowEventKind(0);

    MakeButton(kInsert, 310);
    MakeButton(kNew, 311);
    MakeButton(kDelete, 312);
    MakeButton(kCopy, 31);
    MakeButton(kImport, 26);
    MakeButton(kExport, 27);
    MakeButton(kRename, 33);
    auto* hint = MakeText(kRecordHint, 342);
    hint->SetTextColor(0xFFA0A0A0);
    hint->SetMultiLine(true);

    MakeText(kRepeatText, 316);
    m_playTimes = Make<glint::MEdit>(kPlayTimes);
    m_playTimes->SetImage(QStringLiteral("img_edit.png"), 4);
    m_playTimes->SetNumberOnly(true);
    m_playTimes->SetLimitText(2);
    m_playTimes->SetEditText(QStringLiteral("1"));
    const int delayTexts[3] = {317, 318, 319};
    for (int i = 0; i < 3; ++i) {
        m_delayTypes[i] = Make<glint::CRadioButton>(kRecordedDelays + i);
        m_delayTypes[i]->SetImage(QStringLiteral("btn_radiobox.png"), 8);
        m_delayTypes[i]->SetGroupName(QStringLiteral("DELAY_TIME"));
        CaptionText(m_delayTypes[i], delayTexts[i]);
    }
    m_fixedPause = Make<glint::MEdit>(kFixedPause);
    m_fixedPause->SetImage(QStringLiteral("img_edit.png"), 4);
    m_fixedPause->SetNumberOnly(true);
    m_fixedPause->SetLimitText(5);
    m_fixedPause->SetEditText(QStringLiteral("10"));
    MakeText(kFixedPauseUnit, 320);
    m_delayTypes[0]->SetCheck(1);
    ShowDelayType(zephyl::kDelayRecorded);

    m_startRecording = MakeButton(kStartRecording, 321);
    m_stopRecording = MakeButton(kStopRecording, 322);
    m_stopRecording->SetVisible(false);

    MakeText(kStepsTitle, 323);
    MakeToolButton(kStepUp, "btn_record_up.png", 326);
    MakeToolButton(kStepDown, "btn_record_down.png", 327);
    MakeToolButton(kStepDelete, "btn_record_del.png", 312);
    const int headings[3] = {335, 336, 337};
    for (int i = 0; i < 3; ++i) {
        MakeText(kFirstHeading + i, headings[i])->SetAlignment(glint::kAlignCenter);
    }
    m_steps = Make<glint::CRecordList>(kSteps);
    MakeButton(kSave, 329);
    EnableEditing(false);
}

void MacroPage::OnFeatureLoaded(int feature) {
    if (feature == kFeatureMacros) {
        OnPageLoaded();
    }
}

void MacroPage::Layout(const QSize& size) {
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;

    // The list and its operations.
    constexpr int kListLeft = 10;
    constexpr int kListRight = 290;
    at(kListPanel, glint::RectLTRB(kListLeft, 10, kListRight, bottom));
    at(kListTitle, QRect(kListLeft + 16, 20, 240, 28));
    constexpr int kButtonRows = 3;
    const int buttonsTop = bottom - 14 - kButtonRows * 44 + 8;
    m_macros->SetRect(glint::RectLTRB(kListLeft + 10, 56, kListRight - 10, buttonsTop - 10));
    const int buttonWidth = (kListRight - kListLeft - 30) / 2;
    const int pairs[kButtonRows][2] = {{kNew, kDelete}, {kCopy, kRename}, {kImport, kExport}};
    for (int row = 0; row < kButtonRows; ++row) {
        for (int column = 0; column < 2; ++column) {
            at(pairs[row][column], QRect(kListLeft + 10 + column * (buttonWidth + 10),
                                         buttonsTop + row * 44, buttonWidth, 34));
        }
    }

    // The editor settings.
    constexpr int kEditorLeft = 300;
    constexpr int kEditorRight = 710;
    constexpr int kInner = kEditorLeft + 20;
    constexpr int kInnerWidth = kEditorRight - kEditorLeft - 40;
    at(kEditorPanel, glint::RectLTRB(kEditorLeft, 10, kEditorRight, bottom));
    at(kEditorTitle, QRect(kInner - 4, 20, kInnerWidth, 28));
    int y = 60;
    m_position->SetRect(QRect(kInner, y, kInnerWidth, 32));
    y += 46;
    for (int i = 0; i < 3; ++i) {
        m_kinds[i]->SetRect(QRect(kInner + i * (kInnerWidth / 3), y, kInnerWidth / 3, 28));
    }
    y += 40;
    const QRect field(kInner, y, kInnerWidth - 110, 32);
    m_keyField->SetRect(field);
    m_mouseButton->SetRect(field);
    m_delayField->SetRect(field);
    at(kInsert, glint::RectLTRB(field.right() + 10, y - 1, kInner + kInnerWidth, y + 33));
    y += 56;
    at(kRepeatText, QRect(kInner, y, 120, 32));
    m_playTimes->SetRect(QRect(kInner + 130, y, 80, 32));
    y += 48;
    for (int i = 0; i < 3; ++i) {
        m_delayTypes[i]->SetRect(QRect(kInner, y, 200, 28));
        y += 36;
    }
    m_fixedPause->SetRect(QRect(kInner + 210, y - 38, 90, 32));
    at(kFixedPauseUnit, QRect(kInner + 310, y - 38, 60, 32));
    y += 14;
    at(kRecordHint, QRect(kInner, y, kInnerWidth, 48));
    y += 60;
    m_startRecording->SetRect(QRect(kInner, y, kInnerWidth, 36));
    m_stopRecording->SetRect(QRect(kInner, y, kInnerWidth, 36));

    // The steps.
    constexpr int kStepsLeft = 720;
    const int stepsRight = size.width() - 10;
    at(kStepsPanel, glint::RectLTRB(kStepsLeft, 10, stepsRight, bottom));
    at(kStepsTitle, QRect(kStepsLeft + 16, 20, 200, 28));
    int toolX = stepsRight - 3 * 40 - 6;
    for (int id : {kStepUp, kStepDown, kStepDelete}) {
        at(id, QRect(toolX, 18, 32, 32));
        toolX += 40;
    }
    const int tableLeft = kStepsLeft + 10;
    const int tableWidth = stepsRight - 10 - tableLeft;
    const int columns[3] = {tableWidth / 2, tableWidth / 4,
                            tableWidth - tableWidth / 2 - tableWidth / 4};
    int x = tableLeft;
    for (int i = 0; i < 3; ++i) {
        at(kFirstHeading + i, QRect(x, 58, columns[i], 28));
        x += columns[i];
    }
    Place(m_steps, glint::RectLTRB(tableLeft, 90, stepsRight - 10, bottom - 60));
    at(kSave, QRect(stepsRight - 170, bottom - 50, 150, 36));
}

bool MacroPage::AcceptsEvent(int id, int code) const {
    if (id == kSteps) {
        return code == glint::kEventEditFinished;
    }
    return id == kMacros || id == kKeyField || Page::AcceptsEvent(id, code);
}

int MacroPage::OnEvent(int id, int code, int value) {
    switch (id) {
        case kMacros:
            switch (code) {
                case glint::kEventClick:
                    OnSelect();
                    return 1;
                case glint::kEventEditFinished:
                    OnRenamed();
                    return 1;
                case glint::kEventRightButton:
                    OnContextMenu();
                    return 1;
                default:
                    return 0;
            }
        case kKeyField:
            if (code == glint::kEventEditStarted) {
                BeginKeyCapture();
                return 1;
            }
            if (code == glint::kEventEditFinished) {
                EndKeyCapture();
                return 1;
            }
            return 0;
        case kSteps:
            if (code == glint::kEventEditFinished) {
                OnDelayEdited(value);
                return 1;
            }
            return 0;
        default:
            break;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    switch (id) {
        case kNew:
            RunListOperation(&MacroEditor::NewMacro);
            return 1;
        case kDelete:
            RunListOperation(&MacroEditor::DeleteMacroEntry);
            return 1;
        case kCopy:
            OnCopy();
            return 1;
        case kImport:
            OnImport();
            return 1;
        case kExport:
            OnExport();
            return 1;
        case kRename:
            m_macros->ShowEdit();
            return 1;
        case kInsertKey:
        case kInsertMouse:
        case kInsertDelay:
            ShowEventKind(id - kInsertKey);
            return 1;
        case kRecordedDelays:
        case kNoDelays:
        case kFixedDelay:
            ShowDelayType(zephyl::kDelayRecorded + (id - kRecordedDelays));
            return 1;
        case kInsert:
            OnInsertSteps();
            return 1;
        case kStepUp:
            EditSteps(&MacroEditor::MoveStepUp);
            return 1;
        case kStepDown:
            EditSteps(&MacroEditor::MoveStepDown);
            return 1;
        case kStepDelete:
            EditSteps(&MacroEditor::DeleteStep);
            return 1;
        case kStartRecording:
            StartRecording();
            return 1;
        case kStopRecording:
            StopRecording();
            return 1;
        case kSave:
            OnSave();
            return 1;
        default:
            return 0;
    }
}

void MacroPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    LocalizeDefaultNames(m_macros, DefaultNameList::kMacros);
    std::lock_guard lock(m_mutex);
    ShowSteps();
}

void MacroPage::OnPageLoaded() {
    std::lock_guard lock(m_mutex);
    m_editor.LoadMacroPage();
    ShowEditor();
}

void MacroPage::ShowEditor() {
    ShowEntries();
    ShowSettings();
    ShowSteps();
    EnableEditing(m_editor.EditingEnabled() && !m_recording.load());
}

void MacroPage::ShowEntries() {
    m_macros->DeleteAllItems();
    for (const MacroListEntry& entry : m_editor.Entries()) {
        m_macros->AddString(QString::fromStdString(entry.text), entry.id);
    }
    m_macros->SetCurSel(m_editor.SelectedIndex());
}

void MacroPage::ShowSettings() {
    // What a macro shows when it is chosen: insert before, a key, nothing captured yet.
    m_position->SetCurSel(0);
    m_kinds[0]->SetCheck(1);
    m_keyField->SetEditText({});
    ShowEventKind(0);
    const MacroSettingsFields& settings = m_editor.Settings();
    m_playTimes->SetEditText(QString::fromStdString(settings.playTimes));
    m_fixedPause->SetEditText(QString::fromStdString(settings.fixedPause));
    const int delayIndex = std::clamp(settings.delayType - zephyl::kDelayRecorded, 0, 2);
    m_delayTypes[delayIndex]->SetCheck(1);
    ShowDelayType(settings.delayType);
}

void MacroPage::EnableEditing(bool enabled) {
    for (int id : kEditingControls) {
        if (glint::MControl* control = Window().GetControl(id)) {
            control->SetEnabled(enabled);
        }
    }
    if (enabled) {
        m_fixedPause->SetEnabled(m_delayTypes[2]->GetCheck() != 0);
    }
}

void MacroPage::ShowEventKind(int kind) {
    m_keyField->SetVisible(kind == 0);
    m_mouseButton->SetVisible(kind == 1);
    m_delayField->SetVisible(kind == 2);
    if (kind == 0) {
        m_keyField->SetEditText({});
    } else if (kind == 1) {
        m_mouseButton->SetCurSel(0);
    } else {
        m_delayField->SetEditText({});
    }
}

void MacroPage::ShowDelayType(int delayType) {
    m_fixedPause->SetEnabled(delayType == zephyl::kDelayFixed);
}

void MacroPage::OnSelect() {
    std::lock_guard lock(m_mutex);
    m_editor.SelectEntry(m_macros->GetCurSel());
    ShowSettings();
    // A recording goes on into the steps shown; its rows replace them when it stops.
    if (!m_capture.Recording()) {
        ShowSteps();
    }
}

void MacroPage::OnRenamed() {
    PageOutcome outcome;
    {
        std::lock_guard lock(m_mutex);
        const int index = m_macros->GetCurSel();
        if (index < 0) {
            return;
        }
        outcome = m_editor.RenameMacroEntry(m_macros->GetItemText(index).toStdString());
        if (outcome.messageText != 0) {
            m_macros->ModifyItemString(
                index, QString::fromStdString(m_editor.Entries()[size_t(index)].text));
        }
    }
    ApplyOutcome(outcome);
}

void MacroPage::OnContextMenu() {
    {
        std::lock_guard lock(m_mutex);
        if (m_editor.CopySource() == 0) {
            return;
        }
    }
    if (Services().TrackMenu({{kMenuPaste, Text(32)}}) != kMenuPaste) {
        return;
    }
    RunListOperation(&MacroEditor::PasteMacro);
}

void MacroPage::RunListOperation(PageOutcome (MacroEditor::*operation)()) {
    PageOutcome outcome;
    {
        std::lock_guard lock(m_mutex);
        outcome = (m_editor.*operation)();
        ShowEditor();
    }
    ApplyOutcome(outcome);
}

void MacroPage::OnCopy() {
    // The copy appears at once; the list's context menu can paste it again later.
    {
        std::lock_guard lock(m_mutex);
        m_editor.CopyMacro();
    }
    RunListOperation(&MacroEditor::PasteMacro);
}

void MacroPage::OnImport() {
    const QString path =
        Services().ChooseOpenFile(Text(kChooseMacroToImport), QString::fromLatin1(kMacroFilter));
    if (path.isEmpty()) {
        return;
    }
    const MacroImport result = ImportMacro(Controller().Database(), path.toStdString());
    if (result.macroId > 0) {
        std::lock_guard lock(m_mutex);
        m_editor.LoadMacroPage();
        for (size_t i = 0; i < m_editor.Entries().size(); ++i) {
            if (m_editor.Entries()[i].id == result.macroId) {
                m_editor.SelectEntry(int(i));
            }
        }
        ShowEditor();
    }
    if (result.messageText != 0) {
        PageOutcome outcome;
        outcome.messageText = result.messageText;
        outcome.messageCaption = 26;
        outcome.messageCount = result.leftOut;
        ApplyOutcome(outcome);
    }
}

void MacroPage::OnExport() {
    int id = 0;
    QString name;
    {
        std::lock_guard lock(m_mutex);
        id = m_editor.SelectedId();
        if (id > 0) {
            name =
                QString::fromStdString(m_editor.Entries()[size_t(m_editor.SelectedIndex())].name);
        }
    }
    if (id <= 0) {
        Services().ShowMessageBox(Text(kTextNoMacroSelectedCaption), Text(kTextNoMacroSelected),
                                  kMessageOk);
        return;
    }
    const QString path =
        Services().ChooseSaveFile(Text(kChooseMacroSaveName), name + QStringLiteral(".xml"),
                                  QString::fromLatin1(kMacroFilter));
    if (!path.isEmpty()) {
        ExportMacro(Controller().Database(), id, path.toStdString());
    }
}

int MacroPage::CheckedDelayType() const {
    for (int i = 0; i < 3; ++i) {
        if (m_delayTypes[i]->GetCheck() != 0) {
            return zephyl::kDelayRecorded + i;
        }
    }
    return zephyl::kDelayRecorded;
}

void MacroPage::ReadSettingsFields() {
    MacroSettingsFields& settings = m_editor.Settings();
    settings.playTimes = m_playTimes->GetEditText().toStdString();
    settings.fixedPause = m_fixedPause->GetEditText().toStdString();
    settings.delayType = CheckedDelayType();
}

void MacroPage::OnSave() {
    if (m_capture.Recording()) {
        StopRecording();  // stopping saves
        return;
    }
    EditSteps(&MacroEditor::SaveMacro);
}

}  // namespace zephyl::window
