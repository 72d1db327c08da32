// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// A colour swatch (0x00BBGGRR). Clicking it marks it as the chosen swatch of its group and
/// reports event 2 with its colour.
class CColorButton : public MControl {
public:
    static constexpr const char* kClassName = "CColorButton";
    CColorButton(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    void SetColor(std::uint32_t bgr);
    std::uint32_t GetColor() const;
    void SetGroupName(const QString& group);
    QString GetGroupName() const;
    /// Marks this swatch as chosen and clears the mark of the others of its group.
    void SetSelected(bool selected);
    bool IsSelected() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void StoreSelected(bool selected);

    std::uint32_t m_colour = 0;
    QString m_group;
    bool m_selected = false;

    bool m_hovered = false;  // window thread
    bool m_pressed = false;  // window thread
};

}  // namespace zephyl::glint
