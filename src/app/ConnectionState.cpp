// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ConnectionState.h"

#include "catalogue/DeviceCatalogue.h"

namespace zephyl {

ConnectionState ConnectionStateFor(int mode, const KeyboardLayout& layout) {
    ConnectionState state;
    state.mode = mode;
    switch (mode) {
        case kModeCable:
            state.features = layout.cableFeatures;
            state.firmwareOffered = !layout.firmwareVersion.empty() && !layout.firmwareFile.empty();
            break;
        case kModeReceiver:
            state.features = layout.wirelessFeatures & ~kFeatureCustomLight;
            state.batteryReported = true;
            break;
        case kModeBluetooth:
            state.batteryReported = true;
            break;
        default:
            break;
    }
    state.perKeyColour = layout.perKeyColour;
    state.screenMaxFrames = layout.screenMaxFrames;
    return state;
}

ConnectionState AbsentModelState(const KeyboardLayout& layout) {
    ConnectionState state = ConnectionStateFor(kModeNone, layout);
    state.features = layout.cableFeatures;
    state.modelAbsent = true;
    return state;
}

}  // namespace zephyl
