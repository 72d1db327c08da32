// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/dialogs/CUIMessageBox.h"

#include "glint/MButton.h"
#include "glint/MText.h"
#include "ui/dialogs/DialogText.h"

#include <QKeyEvent>

namespace zephyl {

using namespace glint;

namespace {

constexpr int kTextOk = 20;
constexpr int kTextYes = 23;
constexpr int kTextNo = 25;

constexpr int kButtonHeight = 30;
constexpr int kButtonBottomGap = 10;
constexpr int kButtonWidth = 100;
constexpr int kButtonCentreGap = 20;
constexpr int kSingleButtonInset = 60;
// The message is centred in a band across the middle; the band reaches from below the title to
// above the buttons so that a longer translation gets more lines instead of being cut.
constexpr int kMessageBand = 130;
constexpr int kMessageFontSize = 16;

}  // namespace

CUIMessageBox::CUIMessageBox(const QString& message, const QString& title, int kind)
    : m_message(message), m_title(title), m_kind(kind) {}

bool CUIMessageBox::CreateBox(MWindow* owner) {
    if (!Create(owner, QStringLiteral("MessageBox"), kDialogCreateStyle, kExStyleToolWindow,
                QRect(0, 0, kWidth, kHeight))) {
        return false;
    }
    CenterWindow();
    return true;
}

void CUIMessageBox::InitUI(const QRect&) {
    SetLayered(true);
    SetBackgroundImage(QStringLiteral("bk_prompt.png"), 1, 30);

    auto* title = CreateAreaAs<MText>(kTitleId, {}, m_title);
    setWindowTitle(m_title);  // the desktop's task switcher shows it
    title->SetTextColor(0xFFFFFFFF);
    title->SetAlignment(kAlignCenter);

    auto* message = CreateAreaAs<MText>(kMessageId, {}, m_message);
    message->SetTextColor(0xFFFFFFFF);
    message->SetFontSize(kMessageFontSize);
    message->SetAlignment(kAlignCenter);
    message->SetVAlignment(kAlignCenter);
    message->SetMultiLine(true);

    // Only the two kinds the program uses have buttons; any other box waits to be dismissed.
    if (m_kind == kMessageBoxOk) {
        auto* ok = CreateControlAs<MButton>(kConfirmId, {}, DialogText(kTextOk));
        ok->SetImage(QStringLiteral("btn_apply.png"), 4);
        ok->SetAlignment(kAlignCenter);
    } else if (m_kind == kMessageBoxYesNo) {
        auto* yes = CreateControlAs<MButton>(kConfirmId, {}, DialogText(kTextYes));
        yes->SetImage(QStringLiteral("btn_apply.png"), 4);
        yes->SetAlignment(kAlignCenter);
        auto* no = CreateControlAs<MButton>(kCancelId, {}, DialogText(kTextNo));
        no->SetImage(QStringLiteral("btn_apply.png"), 4);
        no->SetAlignment(kAlignCenter);
    }
}

void CUIMessageBox::UISize(const QRect& rect) {
    const int width = rect.width();
    const int height = rect.height();
    // The title is centred on the window, kept clear of the rounded corners on both sides.
    GetControl(kTitleId)->SetRect(RectLTRB(20, 15, width - 20, 40));
    const int middle = height / 2;
    GetControl(kMessageId)
        ->SetRect(RectLTRB(20, middle - kMessageBand / 2, width - 20, middle + kMessageBand / 2));

    const int top = height - kButtonBottomGap - kButtonHeight;
    const int bottom = height - kButtonBottomGap;
    const int centre = width / 2;
    if (m_kind == kMessageBoxOk) {
        GetControl(kConfirmId)
            ->SetRect(RectLTRB(kSingleButtonInset, top, width - kSingleButtonInset, bottom));
    } else if (m_kind == kMessageBoxYesNo) {
        GetControl(kConfirmId)
            ->SetRect(RectLTRB(centre - kButtonCentreGap - kButtonWidth, top,
                               centre - kButtonCentreGap, bottom));
        GetControl(kCancelId)->SetRect(RectLTRB(centre + kButtonCentreGap, top,
                                                centre + kButtonCentreGap + kButtonWidth, bottom));
    }
}

bool CUIMessageBox::OnInitDialog() {
    SetWindowPos(kOrderTopMost, 0, 0, 0, 0, kPosNoMove | kPosNoSize);
    return true;
}

int CUIMessageBox::OnMessage(int id, int code, int) {
    if (code != kEventClick) {
        return 0;
    }
    if (id == kConfirmId) {
        DoOK();
        return 1;
    }
    if (id == kCancelId) {
        DoCancel();
        return 1;
    }
    return 0;
}

void CUIMessageBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            DoCancel();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (GetControl(kConfirmId) != nullptr) {
                DoOK();
                return;
            }
            break;
        default:
            break;
    }
    MDialog::keyPressEvent(event);
}

int ShowMessageBox(const QString& message, MWindow* owner, const QString& title, int kind) {
    CUIMessageBox box(message, title, kind);
    if (!box.CreateBox(owner)) {
        return kResultNone;
    }
    return box.ShowModal();
}

int ShowMessageBox(int messageText, MWindow* owner, int titleText, int kind) {
    return ShowMessageBox(DialogText(messageText), owner, DialogText(titleText), kind);
}

}  // namespace zephyl
