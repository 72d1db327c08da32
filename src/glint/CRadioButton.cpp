// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CRadioButton.h"

#include "glint/MDialog.h"

namespace zephyl::glint {

void CRadioButton::SetGroupName(const QString& group) {
    std::lock_guard lock(m_mutex);
    m_group = group;
}

QString CRadioButton::GetGroupName() const {
    std::lock_guard lock(m_mutex);
    return m_group;
}

void CRadioButton::SetCheck(int check) {
    CCheckButton::SetCheck(check);
    const QString group = GetGroupName();
    if (check == 0 || group.isEmpty() || GetOwner() == nullptr) {
        return;
    }
    // One lock at a time: the other buttons are found first, then unchecked one by one.
    for (MControl* control : GetOwner()->GetControls()) {
        auto* other = dynamic_cast<CRadioButton*>(control);
        if (other != nullptr && other != this && other->GetGroupName() == group) {
            other->CCheckButton::SetCheck(0);
        }
    }
}

void CRadioButton::OnClicked() {
    SetCheck(1);
    Notify(kEventClick, 1);
}

}  // namespace zephyl::glint
