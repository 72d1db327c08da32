// SPDX-License-Identifier: GPL-2.0-or-later
// The frame delay editor of the screen page.
//
//   class LCDDelayEditDlg : glint::MDialog — window "LCDDelayEditDlg", 400 x 200
//     LCDDelayEditDlg(title, currentDelay)   the caption and this frame's delay as text
//     bool CreateDlg(owner)                  makes the window centred over `owner`
//     int ShowModal()                        1 after confirm (39), 2 after close (32)
//     after 1: ThisFrameDelay(), AllFramesDelay() (the fields' texts), AllFrames() (choice 34)
//   int FrameDelayFromText(text)            the caller's reading of a field: decimal, kept
//                                           within 30..500 (anything else reads as 0 -> 30)
//   controls: 31 title, 32 close, 33 / 34 radio "this frame" / "all frames" (group
//   "DELAYTIME_TYPE"), 36 / 38 their number fields (digits only, at most 3), 39 confirm.
#pragma once

#include "glint/MDialog.h"

namespace zephyl {

inline constexpr int kSmallestFrameDelay = 30;
inline constexpr int kLargestFrameDelay = 500;

/// A delay typed in the editor as the screen page applies it.
int FrameDelayFromText(const QString& text);

class LCDDelayEditDlg : public glint::MDialog {
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 200;
    static constexpr int kTitleId = 31;
    static constexpr int kCloseId = 32;
    static constexpr int kThisFrameId = 33;
    static constexpr int kAllFramesId = 34;
    static constexpr int kThisFrameEditId = 36;
    static constexpr int kAllFramesEditId = 38;
    static constexpr int kConfirmId = 39;

    LCDDelayEditDlg(const QString& title, const QString& currentDelay);

    bool CreateDlg(glint::MWindow* owner);

    QString ThisFrameDelay() const { return m_thisFrameDelay; }
    QString AllFramesDelay() const { return m_allFramesDelay; }
    bool AllFrames() const { return m_allFrames; }

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
    int OnMessage(int id, int code, int value) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_title;
    QString m_currentDelay;
    QString m_thisFrameDelay;
    QString m_allFramesDelay;
    bool m_allFrames = false;
};

}  // namespace zephyl
