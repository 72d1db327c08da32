// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// The picture of the selected keyboard with its connection status: bright when connected,
/// dimmed with a grey mark when not.
class CDeviceCtrl : public MControl {
public:
    static constexpr const char* kClassName = "CDeviceCtrl";
    CDeviceCtrl(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

    /// 1 connected, 0 not.
    void SetDeviceStatus(int status);
    int GetDeviceStatus() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_status = 0;
};

}  // namespace zephyl::glint
