// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/keydialog/CustomKeyDlg.h"

#include "glint/CArea.h"
#include "glint/CCheckButton.h"
#include "glint/CImageButton.h"
#include "glint/CTextButton.h"
#include "glint/MComboBox.h"
#include "glint/MEdit.h"
#include "glint/MText.h"
#include "keys/AssignmentKinds.h"
#include "keys/KeyCapture.h"
#include "keys/KeyCodes.h"
#include "keys/KeyNames.h"
#include "platform/Log.h"
#include "text/LanguageText.h"
#include "ui/capture/KeyboardGrab.h"

#include <QLineEdit>

namespace zephyl {
namespace {

using Part = CustomKeyModel::Part;
using Target = CustomKeyModel::CaptureTarget;

QString Text(int entry) {
    return QString::fromStdString(LanguageText(entry));
}

constexpr int kWidth = 720;
constexpr int kHeight = 380;

// Play modes of a macro with their texts, in list order.
constexpr std::pair<int, int> kPlayModes[] = {{0, 242}, {1, 243}, {2, 244}, {3, 246}, {4, 247}};

}  // namespace

CustomKeyDlg::CustomKeyDlg(ProfileDatabase& database, int keyCode, int profile, int layer)
    : m_model(
          database, [](int entry) { return LanguageText(entry); }, keyCode, profile, layer) {}

CustomKeyDlg::~CustomKeyDlg() {
    StopCapture();
}

int CustomKeyDlg::Run(glint::MWindow* parent) {
    Create(parent, "CustomKeyDlg",
           glint::kStylePopup | glint::kStyleVisible | glint::kStyleClipSiblings |
               glint::kStyleClipChildren,
           0, QRect(0, 0, kWidth, kHeight));
    CenterWindow();
    return ShowModal();
}

void CustomKeyDlg::InitUI(const QRect&) {
    SetBackgroundColor(0x282828);
    auto* titleBar = CreateAreaAs<glint::CArea>(30, QRect(0, 0, kWidth, 40));
    titleBar->SetTransparent(0, 0, 0x373737);
    auto* title = CreateAreaAs<glint::MText>(31, QRect(0, 0, kWidth, 40), Text(203));
    setWindowTitle(Text(203));  // the desktop's task switcher shows it
    title->SetAlignment(glint::kAlignCenter);
    auto* close = CreateControlAs<glint::CImageButton>(kCloseButton, QRect(kWidth - 40, 8, 24, 24));
    close->SetImage("sysbtn_close.png", 4);
    close->SetTooltip(Text(2));

    // The key being assigned.
    auto* keyBox = CreateAreaAs<glint::CArea>(33, QRect(40, 70, 90, 90));
    keyBox->SetTransparent(0, 8, 0x3D3D3D);
    auto* keyName = CreateAreaAs<glint::MText>(
        34, QRect(40, 70, 90, 90), QString::fromStdString(UsageLabel(m_model.KeyCode())));
    keyName->SetAlignment(glint::kAlignCenter);

    CreateAreaAs<glint::MText>(35, QRect(170, 70, 120, 30), Text(204));
    auto* kinds = CreateControlAs<glint::MComboBox>(kKindList, QRect(300, 70, 240, 30));
    kinds->SetImage("img_combobox.png", 4);
    for (const auto& choice : CustomKeyModel::KindChoices()) {
        kinds->AddItem(Text(choice.text), choice.kind);
    }
    kinds->SetCurSel(0);

    auto* items = CreateControlAs<glint::MComboBox>(kItemList, QRect(170, 130, 370, 30));
    items->SetImage("img_combobox.png", 4);
    auto* field = CreateControlAs<glint::MEdit>(kTextField, QRect(170, 130, 370, 30));
    field->SetImage("img_edit.png", 4);
    // Key fields capture when clicked into, never because the dialog handed them the focus on
    // its own when it opened.
    field->GetEditHwnd()->setFocusPolicy(Qt::ClickFocus);
    const char* modifiers[] = {"Shift", "Ctrl", "Win", "Alt"};
    for (int i = 0; i < 4; ++i) {
        auto* box = CreateControlAs<glint::CCheckButton>(
            kShiftBox + i, QRect(170 + 95 * i, 180, 90, 26), QString(modifiers[i]));
        box->SetImage("btn_checkbox.png", 8);
    }
    for (int i = 0; i < 3; ++i) {
        auto* key = CreateControlAs<glint::MEdit>(kCombinationField1 + i,
                                                  QRect(170 + 130 * i, 130, 100, 30));
        key->SetImage("img_key_edit.png", 4);
        key->GetEditHwnd()->setFocusPolicy(Qt::ClickFocus);
        if (i < 2) {
            auto* plus = CreateAreaAs<glint::MText>(48 + i, QRect(275 + 130 * i, 130, 20, 30), "+");
            plus->SetAlignment(glint::kAlignCenter);
        }
    }
    auto* browse = CreateControlAs<glint::CImageButton>(kBrowseButton, QRect(550, 133, 24, 24));
    browse->SetImage("btn_openfile.png", 4);
    browse->SetTooltip(Text(218));

    // Right-aligned against its drop-down, so longer translations grow to the left.
    CreateAreaAs<glint::MText>(43, QRect(110, 180, 180, 30), Text(241))
        ->SetAlignment(glint::kAlignRight);
    auto* modes = CreateControlAs<glint::MComboBox>(kPlayModeList, QRect(300, 180, 240, 30));
    modes->SetImage("img_combobox.png", 4);
    for (const auto& [mode, text] : kPlayModes) {
        modes->AddItem(Text(text), mode);
    }
    modes->SetCurSel(0);
    auto* repeat = CreateControlAs<glint::MEdit>(kRepeatField, QRect(300, 230, 80, 30));
    repeat->SetImage("img_edit.png", 4);
    repeat->SetNumberOnly(true);
    repeat->SetLimitText(3);
    repeat->SetEditText("1");
    CreateAreaAs<glint::MText>(46, QRect(390, 230, 150, 30), Text(245));

    auto* apply = CreateControlAs<glint::CTextButton>(
        kApplyButton, QRect(kWidth / 2 - 70, kHeight - 60, 140, 36), Text(22));
    apply->SetImage("btn_apply.png", 4);
    ShowKindParts();
}

void CustomKeyDlg::ShowKindParts() {
    auto show = [this](int id, bool visible) {
        if (auto* control = GetControl(id)) {
            control->SetVisible(visible);
        }
    };
    show(kItemList, m_model.Shows(Part::kItems));
    show(kTextField, m_model.Shows(Part::kTextField));
    for (int id = kShiftBox; id <= kAltBox; ++id) {
        show(id, m_model.Shows(Part::kModifiers));
    }
    for (int id : {43, kPlayModeList}) {
        show(id, m_model.Shows(Part::kPlayMode));
    }
    for (int id : {kRepeatField, 46}) {
        show(id, m_model.Shows(Part::kRepeat));
    }
    for (int id : {48, 49, kCombinationField1, kCombinationField1 + 1, kCombinationField1 + 2}) {
        show(id, m_model.Shows(Part::kCombination));
    }
    show(kBrowseButton, m_model.Shows(Part::kBrowse));

    if (auto* items = GetControlAs<glint::MComboBox>(kItemList)) {
        items->DelAllItems();
        for (const auto& item : m_model.Items()) {
            items->AddItem(QString::fromStdString(item.text), item.value);
        }
        items->SetCurSel(m_model.SelectedItem());
    }
    if (auto* field = GetControlAs<glint::MEdit>(kTextField)) {
        field->SetEditText(QString::fromStdString(m_model.FieldText()));
        // The key field shows what was captured; only texts and addresses are typed.
        field->SetReadOnly(m_model.Kind() == kKindKey || m_model.Kind() == kKindRunProgram);
    }
    for (int i = 0; i < 3; ++i) {
        if (auto* key = GetControlAs<glint::MEdit>(kCombinationField1 + i)) {
            key->SetEditText({});
            key->SetReadOnly(true);
        }
    }
}

void CustomKeyDlg::StartCapture(Target target, int fieldId) {
    StopCapture();
    m_model.StartCapture(target);
    m_captureField = fieldId;
    if (auto* field = GetControlAs<glint::MEdit>(fieldId)) {
        field->SetEditText({});
    }
    const DialogCaptureField captureField =
        target == Target::kKeyField ? DialogCaptureField::kKey : DialogCaptureField::kCombination;
    m_captureToken =
        KeyboardGrab::Instance().Begin(this, [this, captureField](const HookKeyEvent& event) {
            const DialogCaptureResult result = OnDialogKeyEvent(event, captureField, m_keyNames);
            if (result.key && m_model.OnCapturedKey(result.key->virtualKey, result.key->text)) {
                if (auto* field = GetControlAs<glint::MEdit>(m_captureField)) {
                    field->SetEditText(QString::fromStdString(result.key->text));
                }
            }
        });
}

void CustomKeyDlg::StopCapture() {
    if (m_captureToken != 0) {
        KeyboardGrab::Instance().End(m_captureToken);
        m_captureToken = 0;
    }
    m_model.StopCapture();
}

void CustomKeyDlg::ReadFields() {
    auto checked = [this](int id) {
        auto* box = GetControlAs<glint::CCheckButton>(id);
        return box && box->GetCheck() != 0;
    };
    m_model.SetModifiers(checked(kShiftBox), checked(kCtrlBox), checked(kWinBox), checked(kAltBox));
    if (auto* items = GetControlAs<glint::MComboBox>(kItemList)) {
        m_model.SelectItem(items->GetCurSel());
    }
    if (auto* modes = GetControlAs<glint::MComboBox>(kPlayModeList)) {
        m_model.SetPlayMode(std::max(0, modes->GetCurData()));
    }
    if (auto* repeat = GetControlAs<glint::MEdit>(kRepeatField)) {
        m_model.SetRepeatText(repeat->GetEditText().toStdString());
    }
    if (m_model.Kind() == kKindOpenAddress || m_model.Kind() == kKindPasteText) {
        if (auto* field = GetControlAs<glint::MEdit>(kTextField)) {
            m_model.SetFieldText(field->GetEditText().toStdString());
        }
    }
}

void CustomKeyDlg::Apply() {
    StopCapture();
    ReadFields();
    const auto result = m_model.Apply();
    if (result.accepted) {
        DoOK();
        return;
    }
    if (result.outcome.messageText != 0 && m_showMessage) {
        m_showMessage(result.outcome.messageText, result.outcome.messageCaption);
    }
}

int CustomKeyDlg::OnMessage(int id, int code, int) {
    switch (id) {
        case kCloseButton:
            if (code == glint::kEventClick) {
                StopCapture();
                DoCancel();
            }
            return 1;
        case kKindList:
            if (code == glint::kEventClick) {
                StopCapture();
                auto* kinds = GetControlAs<glint::MComboBox>(kKindList);
                m_model.SelectKind(kinds ? kinds->GetCurData() : kKindKey);
                ShowKindParts();
            }
            return 1;
        case kPlayModeList:
            if (code == glint::kEventClick) {
                ReadFields();
                ShowKindParts();
                if (auto* modes = GetControlAs<glint::MComboBox>(kPlayModeList)) {
                    modes->SelectData(m_model.PlayMode());
                }
            }
            return 1;
        case kTextField:
            if (code == glint::kEventEditStarted && m_model.Kind() == kKindKey) {
                StartCapture(Target::kKeyField, kTextField);
            } else if (code == glint::kEventEditFinished) {
                StopCapture();
            }
            return 1;
        case kCombinationField1:
        case kCombinationField1 + 1:
        case kCombinationField1 + 2:
            if (code == glint::kEventEditStarted) {
                const Target targets[] = {Target::kCombination1, Target::kCombination2,
                                          Target::kCombination3};
                StartCapture(targets[id - kCombinationField1], id);
            } else if (code == glint::kEventEditFinished) {
                StopCapture();
            }
            return 1;
        case kBrowseButton:
            if (code == glint::kEventClick && m_browse) {
                if (m_model.ChooseProgram(m_browse())) {
                    if (auto* field = GetControlAs<glint::MEdit>(kTextField)) {
                        field->SetEditText(QString::fromStdString(m_model.FieldText()));
                    }
                }
            }
            return 1;
        case kApplyButton:
            if (code == glint::kEventClick) {
                Apply();
            }
            return 1;
        default:
            return 0;
    }
}

}  // namespace zephyl
