// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

namespace zephyl::glint {

/// A caption. Passive: the mouse goes through it.
class MText : public MControlFont {
public:
    static constexpr const char* kClassName = "MText";
    MText(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace zephyl::glint
