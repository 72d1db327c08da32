// SPDX-License-Identifier: GPL-2.0-or-later
// The program's own message box, used wherever a question or a notice is shown.
//
//   int ShowMessageBox(message, owner, title, kind)      kind 0: one button (text 20)
//   int ShowMessageBox(messageText, owner, titleText, kind)   the same with language texts
//                                                        kind 4: buttons 23 and 25
//   returns 1 (kResultOk) for the confirm button 33, 2 (kResultCancel) for button 34 or when
//   the box is dismissed (Escape, the desktop's close), 0 when the program is leaving.
//
//   class CUIMessageBox : glint::MDialog — window "MessageBox", 420 x 230, tool window;
//   controls 31 title, 32 message, 33 confirm, 34 cancel (kind 4 only).
#pragma once

#include "glint/MDialog.h"

namespace zephyl {

inline constexpr int kMessageBoxOk = 0;     ///< one button: OK
inline constexpr int kMessageBoxYesNo = 4;  ///< two buttons: Yes (1) and No (2)

class CUIMessageBox : public glint::MDialog {
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 230;
    static constexpr int kTitleId = 31;
    static constexpr int kMessageId = 32;
    static constexpr int kConfirmId = 33;
    static constexpr int kCancelId = 34;

    CUIMessageBox(const QString& message, const QString& title, int kind);

    /// Makes the window over `owner` (may be null) and centres it; not yet shown.
    bool CreateBox(glint::MWindow* owner);
    int Kind() const { return m_kind; }

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
    bool OnInitDialog() override;
    int OnMessage(int id, int code, int value) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_message;
    QString m_title;
    int m_kind;
};

/// Shows a message box modally over `owner` and returns how it ended (see above).
int ShowMessageBox(const QString& message, glint::MWindow* owner, const QString& title, int kind);
int ShowMessageBox(int messageText, glint::MWindow* owner, int titleText, int kind);

}  // namespace zephyl
