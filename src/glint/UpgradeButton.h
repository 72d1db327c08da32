// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MButton.h"

namespace zephyl::glint {

/// An update button that knows whether an update is available and marks it with a dot.
class UpgradeButton : public MButton {
public:
    static constexpr const char* kClassName = "UpgradeButton";
    UpgradeButton(MDialog* owner, int id, QWidget* parent) : MButton(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

    void SetUpgradeState(bool available);
    bool GetUpgradeState() const;

protected:
    void PaintButton(QPainter& painter, int state) override;

private:
    bool m_available = false;
};

}  // namespace zephyl::glint
