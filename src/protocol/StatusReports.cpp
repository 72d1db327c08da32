// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/StatusReports.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr size_t kBatteryLevelPosition = 3;
constexpr int kFullBattery = 100;

}  // namespace

ReceiverFrame BuildBatteryQuery() {
    ReceiverFrame frame{};
    frame[1] = kReceiverBattery;
    frame[2] = kReceiverOneValue;
    return frame;
}

std::optional<int> BatteryLevelFromAnswer(std::span<const std::uint8_t> answer) {
    if (answer.size() <= kBatteryLevelPosition || answer[0] != kReceiverBattery ||
        answer[kBatteryLevelPosition] == 0) {
        return std::nullopt;
    }
    return std::min<int>(answer[kBatteryLevelPosition], kFullBattery);
}

Notification ParseNotification(std::span<const std::uint8_t> report) {
    Notification notification;
    if (report.size() < 4 || report[0] != kNotificationReportId) {
        return notification;
    }
    if (report[1] == kNotificationConnection) {
        if (report[2] == kConnectionAwake[0] && report[3] == kConnectionAwake[1]) {
            notification.kind = Notification::Kind::kAwake;
        } else if (report[2] == kConnectionAsleep[0] && report[3] == kConnectionAsleep[1]) {
            notification.kind = Notification::Kind::kAsleep;
        }
        return notification;
    }
    notification.kind = Notification::Kind::kHostAction;
    notification.action = report[2];
    return notification;
}

}  // namespace zephyl
