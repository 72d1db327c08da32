// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// A page container: controls created inside it are placed relative to it and are shown and
/// hidden with it. It draws nothing; presses on its background reach the window.
class MTabLayout : public MControl {
public:
    static constexpr const char* kClassName = "MTabLayout";
    MTabLayout(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }
};

}  // namespace zephyl::glint
