// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// A picture from the skin. Clicks report event 2 unless the window made it passive.
class MPicture : public MControl {
public:
    static constexpr const char* kClassName = "MPicture";
    MPicture(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// 0: natural size, centred, scaled down to fit; 1: stretched; 2: scaled to fit keeping
    /// its proportions; 3: stretched with `value` pixels of its borders kept.
    void SetShowMode(int mode, int value = 0);
    int GetShowMode() const;

protected:
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_mode = 0;
    int m_value = 0;
    bool m_hovered = false;  // window thread
    bool m_pressed = false;  // window thread
};

}  // namespace zephyl::glint
