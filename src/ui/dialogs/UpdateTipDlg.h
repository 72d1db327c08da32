// SPDX-License-Identifier: GPL-2.0-or-later
// The offer to update the keyboard's firmware.
//
//   class UpdateTipDlg : glint::MDialog — window "UpdateTipDlg", 634 x 310
//     bool CreateDlg(owner)   makes the window centred over `owner`, not yet shown
//     int ShowModal()         1: the user accepted the update (36); 2: close (31) or later (37)
//   controls: 30 background picture, 31 close, 32 heading (183), 33..35 texts 180..182,
//   36 update (185), 37 later (186).
#pragma once

#include "glint/MDialog.h"

namespace zephyl {

class UpdateTipDlg : public glint::MDialog {
public:
    static constexpr int kWidth = 634;
    static constexpr int kHeight = 310;
    static constexpr int kBackgroundId = 30;
    static constexpr int kCloseId = 31;
    static constexpr int kHeadingId = 32;
    static constexpr int kNoticeId = 33;
    static constexpr int kCableId = 34;
    static constexpr int kWaitId = 35;
    static constexpr int kUpdateId = 36;
    static constexpr int kLaterId = 37;

    bool CreateDlg(glint::MWindow* owner);

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
    bool OnInitDialog() override;
    int OnMessage(int id, int code, int value) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zephyl
