// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MButton.h"

namespace zephyl::glint {

/// A check box: an eight-state marker (four unchecked states, then four checked) and its
/// caption. A click toggles it and reports event 2 with the new state.
class CCheckButton : public MButton {
public:
    static constexpr const char* kClassName = "CCheckButton";
    CCheckButton(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    virtual void SetCheck(int check);
    int GetCheck() const;

protected:
    void OnClicked() override;
    void PaintButton(QPainter& painter, int state) override;
    /// Round markers for radio buttons.
    virtual bool RoundMarker() const { return false; }
    /// Stores the state without side effects; true when it changed.
    bool StoreCheck(bool check);

private:
    bool m_check = false;
};

}  // namespace zephyl::glint
