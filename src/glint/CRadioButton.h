// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/CCheckButton.h"

namespace zephyl::glint {

/// A radio button: checking it unchecks every other radio button of the same group name in
/// the same window. A click checks it and reports event 2 with 1.
class CRadioButton : public CCheckButton {
public:
    static constexpr const char* kClassName = "CRadioButton";
    CRadioButton(MDialog* owner, int id, QWidget* parent) : CCheckButton(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

    void SetGroupName(const QString& group);
    QString GetGroupName() const;
    void SetCheck(int check) override;

protected:
    void OnClicked() override;
    bool RoundMarker() const override { return true; }

private:
    QString m_group;
};

}  // namespace zephyl::glint
