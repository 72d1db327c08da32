// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/dialogs/LCDDelayEditDlg.h"

#include "glint/CImageButton.h"
#include "glint/CRadioButton.h"
#include "glint/MButton.h"
#include "glint/MEdit.h"
#include "glint/MText.h"
#include "platform/SettingsStore.h"
#include "ui/dialogs/DialogText.h"

#include <QKeyEvent>

#include <algorithm>

namespace zephyl {

using namespace glint;

namespace {

constexpr int kTextCloseTip = 2;
constexpr int kTextThisFrame = 825;
constexpr int kTextAllFrames = 826;
constexpr int kTextConfirm = 22;

// Three digits hold every delay the page accepts (30..500).
constexpr int kDelayDigits = 3;
const QString kAllFramesStart = QStringLiteral("50");
const QString kGroup = QStringLiteral("DELAYTIME_TYPE");

}  // namespace

int FrameDelayFromText(const QString& text) {
    return std::clamp(ParseDecimal(text.toStdString()), kSmallestFrameDelay, kLargestFrameDelay);
}

LCDDelayEditDlg::LCDDelayEditDlg(const QString& title, const QString& currentDelay)
    : m_title(title), m_currentDelay(currentDelay) {}

bool LCDDelayEditDlg::CreateDlg(MWindow* owner) {
    if (!Create(owner, QStringLiteral("LCDDelayEditDlg"), kDialogCreateStyle, 0,
                QRect(0, 0, kWidth, kHeight))) {
        return false;
    }
    CenterWindow();
    return true;
}

void LCDDelayEditDlg::InitUI(const QRect&) {
    SetLayered(true);
    auto* title = CreateAreaAs<MText>(kTitleId, {}, m_title);
    title->SetAlignment(kAlignCenter);

    auto* close = CreateControlAs<CImageButton>(kCloseId);
    close->SetImage(QStringLiteral("sysbtn_close.png"), 4);
    close->SetTooltip(DialogText(kTextCloseTip));

    auto* thisFrame = CreateControlAs<CRadioButton>(kThisFrameId, {}, DialogText(kTextThisFrame));
    thisFrame->SetImage(QStringLiteral("btn_radiobox.png"), 8);
    thisFrame->SetGroupName(kGroup);
    auto* thisFrameEdit = CreateControlAs<MEdit>(kThisFrameEditId);
    thisFrameEdit->SetImage(QStringLiteral("img_edit.png"), 4);
    thisFrameEdit->SetEditText(m_currentDelay);

    auto* allFrames = CreateControlAs<CRadioButton>(kAllFramesId, {}, DialogText(kTextAllFrames));
    allFrames->SetImage(QStringLiteral("btn_radiobox.png"), 8);
    allFrames->SetGroupName(kGroup);
    auto* allFramesEdit = CreateControlAs<MEdit>(kAllFramesEditId);
    allFramesEdit->SetImage(QStringLiteral("img_edit.png"), 4);
    allFramesEdit->SetEditText(kAllFramesStart);
    allFramesEdit->SetEnabled(false);

    for (auto* edit : {thisFrameEdit, allFramesEdit}) {
        edit->SetNumberOnly(true);
        edit->SetLimitText(kDelayDigits);
    }
    thisFrame->SetCheck(1);

    auto* confirm = CreateControlAs<MButton>(kConfirmId, {}, DialogText(kTextConfirm));
    confirm->SetImage(QStringLiteral("btn_apply.png"), 4);
    confirm->SetAlignment(kAlignCenter);
}

void LCDDelayEditDlg::UISize(const QRect& rect) {
    const int width = rect.width();
    const int height = rect.height();
    const int centre = width / 2;
    GetControl(kTitleId)->SetRect(RectLTRB(centre - 100, 10, centre + 100, 40));
    GetControl(kCloseId)->SetRect(RectLTRB(width - 40, 15, width - 21, 34));
    GetControl(kThisFrameId)->SetRect(RectLTRB(20, 60, 150, 90));
    GetControl(kThisFrameEditId)->SetRect(RectLTRB(150, 60, 330, 90));
    GetControl(kAllFramesId)->SetRect(RectLTRB(20, 96, 200, 126));
    GetControl(kAllFramesEditId)->SetRect(RectLTRB(200, 96, 330, 126));
    GetControl(kConfirmId)->SetRect(RectLTRB(centre - 60, height - 50, centre + 60, height - 20));
}

int LCDDelayEditDlg::OnMessage(int id, int code, int) {
    if (code != kEventClick) {
        return 0;
    }
    switch (id) {
        case kCloseId:
            DoCancel();
            return 1;
        case kThisFrameId:
        case kAllFramesId: {
            const bool all = id == kAllFramesId;
            GetControl(kThisFrameEditId)->SetEnabled(!all);
            GetControl(kAllFramesEditId)->SetEnabled(all);
            return 1;
        }
        case kConfirmId:
            m_thisFrameDelay = GetControlAs<MEdit>(kThisFrameEditId)->GetEditText();
            m_allFramesDelay = GetControlAs<MEdit>(kAllFramesEditId)->GetEditText();
            m_allFrames = GetControlAs<CRadioButton>(kAllFramesId)->GetCheck() != 0;
            DoOK();
            return 1;
        default:
            return 0;
    }
}

void LCDDelayEditDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        DoCancel();
        return;
    }
    MDialog::keyPressEvent(event);
}

}  // namespace zephyl
