// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/dialogs/UpdateTipDlg.h"

#include "app/Environment.h"
#include "glint/CImageButton.h"
#include "glint/MButton.h"
#include "glint/MPicture.h"
#include "glint/MText.h"
#include "ui/dialogs/DialogText.h"

#include <QKeyEvent>

namespace zephyl {

using namespace glint;

namespace {

constexpr int kTextCloseTip = 1;
constexpr int kTextHeading = 183;
constexpr int kTextNotice = 180;
constexpr int kTextCable = 181;
constexpr int kTextWait = 182;
constexpr int kTextUpdate = 185;
constexpr int kTextLater = 186;

constexpr std::uint32_t kWarningColour = 0xFFFF5000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
// The English texts are set in sizes that fit their bands; other languages keep the default.
constexpr int kEnglishHeadingSize = 12;
constexpr int kEnglishBodySize = 15;

}  // namespace

bool UpdateTipDlg::CreateDlg(MWindow* owner) {
    if (!Create(owner, QStringLiteral("UpdateTipDlg"), kDialogCreateStyle, 0,
                QRect(0, 0, kWidth, kHeight))) {
        return false;
    }
    CenterWindow();
    return true;
}

void UpdateTipDlg::InitUI(const QRect& rect) {
    // The picture has rounded corners; the window around them stays see-through.
    SetLayered(true);
    auto* background = CreateAreaAs<MPicture>(kBackgroundId, rect);
    background->SetImage(QStringLiteral("updatetips_bkg.png"));
    background->SetShowMode(1);

    auto* close = CreateControlAs<CImageButton>(kCloseId);
    close->SetImage(QStringLiteral("sysbtn_close.png"), 4);
    close->SetTooltip(DialogText(kTextCloseTip));

    const bool english = CurrentLanguageId() == kEnglishLanguageId;
    auto* heading = CreateAreaAs<MText>(kHeadingId, {}, DialogText(kTextHeading));
    heading->SetTextColor(kWarningColour);
    heading->SetAlignment(kAlignCenter);
    if (english) {
        heading->SetFontSize(kEnglishHeadingSize);
    }

    const struct {
        int id;
        int text;
        std::uint32_t colour;
    } lines[] = {{kNoticeId, kTextNotice, kWhite},
                 {kCableId, kTextCable, kWarningColour},
                 {kWaitId, kTextWait, kWarningColour}};
    for (const auto& line : lines) {
        auto* text = CreateAreaAs<MText>(line.id, {}, DialogText(line.text));
        text->SetTextColor(line.colour);
        text->SetMultiLine(true);
        if (english) {
            text->SetFontSize(kEnglishBodySize);
        }
    }

    const struct {
        int id;
        int text;
    } buttons[] = {{kUpdateId, kTextUpdate}, {kLaterId, kTextLater}};
    for (const auto& entry : buttons) {
        auto* button = CreateControlAs<MButton>(entry.id, {}, DialogText(entry.text));
        button->SetImage(QStringLiteral("btn_apply.png"), 4);
        button->SetTextColor(kWhite);
        button->SetAlignment(kAlignCenter);
    }
}

void UpdateTipDlg::UISize(const QRect& rect) {
    const int width = rect.width();
    const int height = rect.height();
    GetControl(kBackgroundId)->SetRect(rect);
    GetControl(kCloseId)->SetRect(RectLTRB(width - 40, 12, width - 20, 32));
    GetControl(kHeadingId)->SetRect(RectLTRB(50, 12, width - 50, 42));
    GetControl(kNoticeId)->SetRect(RectLTRB(20, 60, width - 5, 110));
    GetControl(kCableId)->SetRect(RectLTRB(175, 130, width - 20, 180));
    GetControl(kWaitId)->SetRect(RectLTRB(175, 180, width - 20, 230));
    const QRect update = RectLTRB(width - 260, height - 50, width - 140, height - 22);
    GetControl(kUpdateId)->SetRect(update);
    GetControl(kLaterId)->SetRect(update.translated(130, 0));
}

bool UpdateTipDlg::OnInitDialog() {
    SetWindowPos(kOrderTopMost, 0, 0, 0, 0, kPosNoMove | kPosNoSize);
    return true;
}

int UpdateTipDlg::OnMessage(int id, int code, int) {
    if (code != kEventClick) {
        return 0;
    }
    switch (id) {
        case kUpdateId:
            DoOK();
            return 1;
        case kCloseId:
        case kLaterId:
            DoCancel();
            return 1;
        default:
            return 0;
    }
}

void UpdateTipDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        DoCancel();
        return;
    }
    MDialog::keyPressEvent(event);
}

}  // namespace zephyl
