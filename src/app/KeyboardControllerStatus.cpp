// SPDX-License-Identifier: GPL-2.0-or-later
// The keyboard's own reports while the worker is idle: battery level and notifications.
#include "app/KeyboardController.h"
#include "device/DeviceManager.h"
#include "platform/HidBattery.h"
#include "platform/Log.h"
#include "protocol/StatusReports.h"

namespace zephyl {

void KeyboardController::ReadBluetoothBattery() {
    const int deviceType = m_listSelection.load();
    for (const auto& mode : Modes()) {
        if (mode.deviceType != deviceType || mode.mode != kModeBluetooth) {
            continue;
        }
        if (const auto level = ReadBluetoothBatteryLevel(mode.vid, mode.pid)) {
            m_batteryLevel.store(*level);
            WithView([&level](ControllerView& view) { view.SetBatteryLevel(*level); });
        }
        return;
    }
}

void KeyboardController::PollBattery(bool forced) {
    const int mode = m_connectionMode.load();
    if (mode != kModeReceiver && mode != kModeBluetooth) {
        return;
    }
    const std::int64_t now = m_nowMs();
    if (m_lastBatteryPoll < 0) {
        m_lastBatteryPoll = now;
    }
    if (!forced && now - m_lastBatteryPoll < kBatteryPollMs) {
        return;
    }
    m_lastBatteryPoll = now;
    if (mode == kModeBluetooth) {
        ReadBluetoothBattery();  // the system's reading; the keyboard is not asked
        return;
    }
    ReceiverFrame frame = BuildBatteryQuery();
    if (!m_devices.Query(frame)) {
        return;
    }
    const auto level = BatteryLevelFromAnswer(frame);
    if (!level) {
        return;
    }
    m_batteryLevel.store(*level);
    WithView([&level](ControllerView& view) { view.SetBatteryLevel(*level); });
    if (!m_ready.exchange(true)) {
        ApplySelection();
    }
}

void KeyboardController::PollNotifications() {
    const std::int64_t now = m_nowMs();
    if (m_lastNotificationPoll < 0) {
        m_lastNotificationPoll = now;
    } else if (now - m_lastNotificationPoll < kNotificationPollMs) {
        return;
    }
    m_lastNotificationPoll = now;
    if (!m_devices.HasNotificationHandle()) {
        return;
    }
    std::array<std::uint8_t, 65> report{};
    // The keyboard's reports wait in the device's queue until read, so the poll only takes
    // what is already there: a blocking wait here would hold up a frame stream on every poll.
    if (m_devices.ReadNotification(report, 0) <= 0) {
        return;
    }
    const Notification notification = ParseNotification(report);
    switch (notification.kind) {
        case Notification::Kind::kAwake:
            m_ready.store(true);
            ApplySelection();
            break;
        case Notification::Kind::kAsleep:
            m_ready.store(false);
            ApplySelection();
            break;
        case Notification::Kind::kHostAction: {
            if (const HostActionHandler handler = HostAction()) {
                handler(notification.action);
            } else {
                Log(kLogInfo, "key action %d reported; no host actions in this build",
                    notification.action);
            }
            break;
        }
        case Notification::Kind::kNone:
            break;
    }
}

}  // namespace zephyl
