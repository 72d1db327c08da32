// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MButton.h"

namespace zephyl::glint {

/// A button that is only its four-state image; without the image it shows a small face with
/// the first letter of its tooltip.
class CImageButton : public MButton {
public:
    static constexpr const char* kClassName = "CImageButton";
    CImageButton(MDialog* owner, int id, QWidget* parent) : MButton(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

protected:
    void PaintButton(QPainter& painter, int state) override;
};

}  // namespace zephyl::glint
