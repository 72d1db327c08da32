// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/DeviceStatus.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr std::uint8_t kNotificationReportId = 0x05;
constexpr std::uint8_t kConnectionNotice = 0xA6;
constexpr std::uint8_t kBatteryCommand = 0x20;

// Tab index → the feature bit that shows it.
constexpr int kTabFeatures[9] = {0,
                                 kFeatureKeys,
                                 kFeatureMacros,
                                 kFeatureLightModes,
                                 kFeatureScreen,
                                 kFeatureUserLight,
                                 kFeatureCustomLight,
                                 kFeatureMusic,
                                 kFeatureSettings};
constexpr int kCustomLightTab = 6;

}  // namespace

ConnectionModeView ComputeConnectionModeView(int mode, const KeyboardLayout& layout) {
    ConnectionModeView view;
    view.mode = mode;
    switch (mode) {
        case kModeCable:
        case kModeReceiver: {
            const int flags = mode == kModeCable ? layout.cableFeatures : layout.wirelessFeatures;
            view.changesTabs = true;
            for (int tab = 1; tab <= 8; ++tab) {
                view.tabVisible[tab] = (flags & kTabFeatures[tab]) != 0;
            }
            if (mode == kModeReceiver) {
                view.tabVisible[kCustomLightTab] = false;
            }
            view.batteryVisible = mode == kModeReceiver;
            view.devicePictureEnabled = true;
            view.modeIcon = mode == kModeCable ? "icon/usb_mode.png" : "icon/24g_mode.png";
            view.firmwareButtonVisible = mode == kModeCable && !layout.firmwareVersion.empty() &&
                                         !layout.firmwareFile.empty();
            break;
        }
        case kModeBluetooth:
            view.batteryVisible = true;
            view.devicePictureEnabled = false;
            view.modeIcon = "icon/bt_mode.png";
            break;
        default:
            break;
    }
    if (layout.perKeyColour) {
        for (int value = 1; value <= 9; ++value) {
            view.musicForeColours.push_back({105 + value, value});
        }
        view.musicForeColours.push_back({115, 11});
        view.musicForeColours.push_back({118, 10});
        if (mode == kModeCable) {
            view.musicForeColours.push_back({120, 100});
        }
    } else {
        view.musicForeColours.push_back({111, 6});
    }
    view.musicColourControlsVisible = layout.perKeyColour;
    view.screenMaxFrames = layout.screenMaxFrames;
    return view;
}

std::optional<int> BatteryLevelFromAnswer(std::span<const std::uint8_t> answer) {
    if (answer.size() < 4 || answer[0] != kBatteryCommand || answer[3] == 0) {
        return std::nullopt;
    }
    return std::min<int>(answer[3], 100);
}

Notification ParseNotification(std::span<const std::uint8_t> report) {
    Notification notification;
    if (report.size() < 4 || report[0] != kNotificationReportId) {
        return notification;
    }
    if (report[1] == kConnectionNotice) {
        if (report[2] == 0xFF && report[3] == 0x01) {
            notification.kind = Notification::Kind::kAwake;
        } else if (report[2] == 0xFE && report[3] == 0x02) {
            notification.kind = Notification::Kind::kAsleep;
        }
        return notification;
    }
    notification.kind = Notification::Kind::kHostAction;
    notification.action = report[2];
    return notification;
}

}  // namespace zephyl
