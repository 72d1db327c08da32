// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/CustomLightStream.h"

#include "device/DeviceManager.h"
#include "lighting/CustomLightEngine.h"

#include <span>

namespace zephyl {

size_t BuildCustomLightFrame(const CustomLightSnapshot& snapshot, bool perKeyColour,
                             StreamBuffer& buffer) {
    return FillStreamBuffer(snapshot.lights, perKeyColour, buffer);
}

StreamFrameResult SendCustomLightFrame(DeviceManager& devices, const CustomLightSnapshot& snapshot,
                                       bool perKeyColour) {
    if (!devices.SendFeatureTimed(BuildStreamFrameCommand(perKeyColour))) {
        return StreamFrameResult::kCommandFailed;
    }
    StreamBuffer buffer;
    const size_t length = BuildCustomLightFrame(snapshot, perKeyColour, buffer);
    if (!devices.SendFeatureTimed(std::span<const uint8_t>(buffer).first(length))) {
        return StreamFrameResult::kBlockFailed;
    }
    if (!devices.SendFeatureTimed(BuildStreamCloseCommand())) {
        return StreamFrameResult::kCloseFailed;
    }
    return StreamFrameResult::kSent;
}

}  // namespace zephyl
