// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// The battery of a wireless keyboard: its frame (the control's image), a level image cut to
/// the level, a charging sign, and the percentage beside it.
class BatteryCtrl : public MControl {
public:
    static constexpr const char* kClassName = "BatteryCtrl";
    BatteryCtrl(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

    void SetBatteryIcon(const QString& levelImage, const QString& chargingImage);
    /// Level clamped to 0..100.
    void SetBatteryInfo(int percent, int charging);
    int GetBatteryPercent() const;
    bool IsCharging() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_levelImage;
    QString m_chargingImage;
    int m_percent = 0;
    bool m_charging = false;
};

}  // namespace zephyl::glint
