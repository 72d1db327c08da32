// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/ConnectionModeView.h"

#include "catalogue/DeviceCatalogue.h"

namespace zephyl {

ConnectionModeView ComputeConnectionModeView(const ConnectionState& state) {
    ConnectionModeView view;
    view.mode = state.mode;
    switch (state.mode) {
        case kModeCable:
        case kModeReceiver:
            view.changesTabs = true;
            for (int tab = 1; tab <= 8; ++tab) {
                view.tabVisible[tab] = (state.features & kTabFeatures[tab]) != 0;
            }
            view.batteryVisible = state.batteryReported;
            view.devicePictureEnabled = true;
            view.modeIcon = state.mode == kModeCable ? "icon/usb_mode.png" : "icon/24g_mode.png";
            view.firmwareButtonVisible = state.firmwareOffered;
            break;
        case kModeBluetooth:
            view.batteryVisible = true;
            view.devicePictureEnabled = false;
            view.modeIcon = "icon/bt_mode.png";
            break;
        default:
            if (state.modelAbsent) {
                // The pages of what the model does, to look at and edit; nothing is lit.
                view.changesTabs = true;
                for (int tab = 1; tab <= 8; ++tab) {
                    view.tabVisible[tab] = (state.features & kTabFeatures[tab]) != 0;
                }
                view.modelAbsent = true;
            }
            break;
    }
    if (state.perKeyColour) {
        for (int value = 1; value <= 9; ++value) {
            view.musicForeColours.push_back({105 + value, value});
        }
        view.musicForeColours.push_back({115, 11});
        view.musicForeColours.push_back({118, 10});
        if (state.mode == kModeCable) {
            view.musicForeColours.push_back({120, 100});
        }
    } else {
        view.musicForeColours.push_back({111, 6});
    }
    view.musicColourControlsVisible = state.perKeyColour;
    view.screenMaxFrames = state.screenMaxFrames;
    return view;
}

ConnectionModeView ComputeConnectionModeView(int mode, const KeyboardLayout& layout) {
    return ComputeConnectionModeView(ConnectionStateFor(mode, layout));
}

std::vector<int> ResponseTimeTooltipTextIds(int keyResponseTime) {
    const int first =
        (keyResponseTime >= 1 && keyResponseTime <= 4) ? 600 + 5 * (keyResponseTime - 1) : 620;
    return {first, first + 1, first + 2, first + 3, first + 4};
}

}  // namespace zephyl
