// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// A horizontal slider from 0 to its maximum. The track image holds two states (empty track,
/// filled track) and the thumb image four. Releasing the thumb reports event 2 with the
/// position.
class MSlider : public MControl {
public:
    static constexpr const char* kClassName = "MSlider";
    MSlider(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Clamped to 0..maximum.
    void SetProgress(int position);
    int GetProgress() const;
    /// At least 1; the position is clamped to it.
    void SetMaxProgress(int maximum);
    int GetMaxProgress() const;
    void SetThumbImage(const QString& file, int states = 4);

    /// The position the slider shows at x (in its own coordinates); window thread.
    int PositionAt(int x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect TrackRect() const;
    int ThumbSide() const;

    int m_position = 0;
    int m_maximum = 100;
    QString m_thumb;
    int m_thumbStates = 4;

    bool m_dragging = false;  // window thread
    bool m_hovered = false;   // window thread
};

}  // namespace zephyl::glint
