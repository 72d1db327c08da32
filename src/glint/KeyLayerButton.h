// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MButton.h"

namespace zephyl::glint {

/// One half of a two-way choice, drawn active (checked) or inactive. A click makes it active
/// and reports event 2 with 1; the window makes the other half inactive. Its caption takes the
/// theme's colours of the two states; a text colour given to it is kept (GetTextColor) but not
/// drawn, so the active face always stays readable.
class KeyLayerButton : public MButton {
public:
    static constexpr const char* kClassName = "KeyLayerButton";
    KeyLayerButton(MDialog* owner, int id, QWidget* parent) : MButton(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

    void SetCheck(int check);
    int GetCheck() const;

protected:
    void OnClicked() override;
    void PaintButton(QPainter& painter, int state) override;

private:
    bool m_check = false;
};

}  // namespace zephyl::glint
