// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MButton.h"

class QLabel;

namespace zephyl::glint {

/// A small help sign; its title is the help text, shown in a bubble while the mouse rests on
/// it. A click reports event 2 like any button.
class CHelpButton : public MButton {
public:
    static constexpr const char* kClassName = "CHelpButton";
    CHelpButton(MDialog* owner, int id, QWidget* parent);
    ~CHelpButton() override;
    const char* ClassName() const override { return kClassName; }

    /// 0 shows the help below the sign, 1 beside it.
    void SetAirbladderMode(int mode);
    int GetAirbladderMode() const;
    /// Whether the bubble is showing; window thread.
    bool IsBubbleShown() const;

protected:
    void PaintButton(QPainter& painter, int state) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowBubble();
    void HideBubble();

    int m_mode = 0;
    QLabel* m_bubble = nullptr;  // window thread
};

}  // namespace zephyl::glint
