// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/dialogs/CloseWindowTipDlg.h"

#include "glint/MButton.h"
#include "glint/CRadioButton.h"
#include "glint/MText.h"
#include "platform/SettingsStore.h"
#include "ui/dialogs/DialogText.h"

#include <QKeyEvent>

namespace zephyl {

using namespace glint;

namespace {

constexpr int kTextTitle = 170;
constexpr int kTextToTray = 171;
constexpr int kTextMinimiseWithoutTray = 962;
// The title asks "when the window is closed"; the second answer is the one the close button's
// tooltip uses for the same setting.
constexpr int kTextExit = 172;
constexpr int kTextConfirm = 22;

constexpr int kChoiceStep = 35;

}  // namespace

CloseWindowTipDlg::CloseWindowTipDlg(const SettingsStore& store, bool trayAvailable)
    : m_store(store), m_trayAvailable(trayAvailable) {}

bool CloseWindowTipDlg::CreateDlg(MWindow* owner) {
    if (!Create(owner, QStringLiteral("CloseWindowTipDlg"), kDialogCreateStyle, 0,
                QRect(0, 0, kWidth, kHeight))) {
        return false;
    }
    CenterWindow();
    return true;
}

int CloseWindowTipDlg::Run(MWindow* owner, const SettingsStore& store, int* chosenMode,
                           bool trayAvailable) {
    CloseWindowTipDlg dialog(store, trayAvailable);
    int result = kResultNone;
    if (dialog.CreateDlg(owner)) {
        result = dialog.ShowModal();
    }
    if (chosenMode != nullptr) {
        *chosenMode = result == kResultOk ? dialog.ChosenMode() : kExitModeAsk;
    }
    return result;
}

void CloseWindowTipDlg::InitUI(const QRect&) {
    SetLayered(true);
    auto* title = CreateAreaAs<MText>(kTitleId, {}, DialogText(kTextTitle));
    setWindowTitle(DialogText(kTextTitle));  // the desktop's task switcher shows it
    title->SetAlignment(kAlignCenter);

    // Without a notification area the window cannot hide there; it is minimised, and the
    // choice says so.
    const int texts[] = {m_trayAvailable ? kTextToTray : kTextMinimiseWithoutTray, kTextExit};
    const int ids[] = {kToTrayId, kExitId};
    for (int i = 0; i < 2; ++i) {
        auto* choice = CreateControlAs<CRadioButton>(ids[i], {}, DialogText(texts[i]));
        choice->SetImage(QStringLiteral("btn_radiobox.png"), 8);
        choice->SetGroupName(QString::fromLatin1(kExitModeValue));
    }

    auto* confirm = CreateControlAs<MButton>(kConfirmId, {}, DialogText(kTextConfirm));
    confirm->SetImage(QStringLiteral("btn_apply.png"), 4);
    confirm->SetAlignment(kAlignCenter);
}

void CloseWindowTipDlg::UISize(const QRect& rect) {
    const int width = rect.width();
    const int height = rect.height();
    const int centre = width / 2;
    GetControl(kTitleId)->SetRect(RectLTRB(centre - 130, 5, centre + 130, 35));
    GetControl(kToTrayId)->SetRect(RectLTRB(30, 60, 355, 90));
    GetControl(kExitId)->SetRect(RectLTRB(30, 60 + kChoiceStep, 355, 90 + kChoiceStep));
    GetControl(kConfirmId)->SetRect(RectLTRB(width - 120, height - 50, width - 20, height - 20));
}

bool CloseWindowTipDlg::OnInitDialog() {
    // Shown by the modal run; here it only goes on top.
    SetWindowPos(kOrderTopMost, 0, 0, 0, 0, kPosNoMove | kPosNoSize);
    const bool exits = m_store.ReadInt(kExitModeValue) == kExitModeExit;
    GetControlAs<CRadioButton>(exits ? kExitId : kToTrayId)->SetCheck(1);
    return true;
}

int CloseWindowTipDlg::OnMessage(int id, int code, int) {
    if (id != kConfirmId || code != kEventClick) {
        return 0;
    }
    const bool toTray = GetControlAs<CRadioButton>(kToTrayId)->GetCheck() != 0;
    m_chosenMode = toTray ? kExitModeToTray : kExitModeExit;
    // A store that cannot be written keeps its old value; the caller still has the answer.
    m_store.WriteInt(kExitModeValue, m_chosenMode);
    DoOK();
    return 1;
}

void CloseWindowTipDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        DoCancel();
        return;
    }
    MDialog::keyPressEvent(event);
}

}  // namespace zephyl
