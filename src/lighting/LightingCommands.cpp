// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/LightingCommands.h"

#include "app/KeyboardController.h"
#include "lighting/LightModes.h"
#include "lighting/UserLight.h"
#include "protocol/LightingReports.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"

#include <array>

namespace zephyl {
namespace {

constexpr int kUserColourFramePauseMs = 2;

CableBlockOptions LightingBlockOptions() {
    CableBlockOptions options;
    options.refresh = CableBlockOptions::Refresh::kUnconfirmed;
    return options;
}

bool SendLightingBlock(KeyboardController& controller, const CablePayload& block) {
    switch (controller.ConnectionMode()) {
        case kModeCable:
            return controller.Devices().SendCableBlock(kDataLightingBlock, 0, block,
                                                       LightingBlockOptions());
        case kModeReceiver:
            return controller.Devices().SendReceiverFrame(BuildLightingFrame(block));
        default:
            return false;
    }
}

}  // namespace

bool SendLightEffect(KeyboardController& controller) {
    ProfileDatabase& database = controller.Database();
    LightEffect effect;
    if (!database.GetLightEffect(database.GetActiveLightEffect(kSettingsProfile), effect)) {
        return false;
    }
    return SendLightingBlock(controller, BuildEffectBlock(RecordOf(effect)));
}

bool SendSideLight(KeyboardController& controller) {
    std::string stored;
    controller.Database().GetConfigValue(kSettingsProfile, kConfigLightMode, stored);
    const int value = SideLightItem(stored);
    switch (controller.ConnectionMode()) {
        case kModeCable:
            return controller.Devices().SendCableBlock(
                kDataLightingBlock, 0, BuildSideLightBlock(value), LightingBlockOptions());
        case kModeReceiver:
            return controller.Devices().SendReceiverFrame(BuildSideLightFrame(value));
        default:
            return false;
    }
}

bool WriteUserLight(KeyboardController& controller, int id, const TransferPause& pause) {
    const int mode = controller.ConnectionMode();
    if (id <= 0 || (mode != kModeCable && mode != kModeReceiver)) {
        return false;
    }
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    bool accepted =
        SendLightingBlock(controller, BuildUserLightModeBlock(layout->defaultBrightness));
    const std::vector<KeyColour> keys = UserLightColours(controller.Database(), id);
    const std::vector<std::uint8_t> block =
        BuildUserColourBlock(keys, layout->lightIndexMap, layout->perKeyColour);
    if (mode == kModeCable) {
        CableBlockOptions options;
        options.refresh = CableBlockOptions::Refresh::kConfirmed;
        return controller.Devices().SendCableBlock(kDataUserColours, 0, block, options) && accepted;
    }
    std::vector<ReceiverFrame> frames = BuildUserColourFrames(block);
    return controller.Devices().SendReceiverFrames(frames, kUserColourFramePauseMs, pause) &&
           accepted;
}

std::vector<std::pair<int, std::uint32_t>> ReadLiveColours(KeyboardController& controller) {
    if (controller.ConnectionMode() != kModeCable) {
        return {};
    }
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    std::array<std::uint8_t, kReadBlocksLength> buffer{};
    const CablePayload request = BuildLiveColoursRequest(layout->perKeyColour);
    std::copy(request.begin(), request.end(), buffer.begin());
    if (!controller.Devices().ReadBlocks(buffer)) {
        return {};
    }
    controller.Devices().SendFeature(BuildEndCommand(), true);
    return DecodeLiveColours(buffer, layout->lightIndexMap, layout->perKeyColour);
}

}  // namespace zephyl
