// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/KeyboardLayout.h"

#include <QWidget>

namespace zephyl {

/// Draws the keys of a layout at their rectangles, scaled to the widget.
class LayoutPreview : public QWidget {
public:
    explicit LayoutPreview(QWidget* parent = nullptr);
    void SetLayout(const KeyboardLayout& layout);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KeyboardLayout m_layout;
};

}  // namespace zephyl
