// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroSending.h"

#include "catalogue/DeviceCatalogue.h"
#include "device/DeviceManager.h"
#include "store/ProfileDatabase.h"

namespace zephyl {
namespace {

constexpr int kCablePauseMs = 30;
constexpr int kFramePauseMs = 2;

MacroUpload Result(bool accepted) {
    return accepted ? MacroUpload::kSent : MacroUpload::kFailed;
}

MacroUpload SendCable(DeviceManager& devices, const std::vector<std::uint8_t>& body,
                      const PauseFunction& pause) {
    const std::vector<std::uint8_t> image = CableMacroImage(body);
    CableBlockOptions options;
    options.macroBegin = true;
    options.pauseBeforeBlock = kCablePauseMs;
    options.pauseAfterBlock = kCablePauseMs;
    options.pause = pause;
    return Result(devices.SendCableBlock(kDataMacroImage, 0, image, options));
}

MacroUpload SendReceiver(DeviceManager& devices, const std::vector<std::uint8_t>& body,
                         const PauseFunction& pause) {
    const std::vector<std::uint8_t> image = ReceiverMacroImage(body);
    std::vector<ReceiverFrame> frames = BuildMacroFrames(image, body.size());
    return Result(devices.SendReceiverFrames(frames, kFramePauseMs, pause));
}

}  // namespace

PreparedMacros PrepareMacros(ProfileDatabase& database) {
    PreparedMacros prepared;
    std::vector<Macro> macros;
    database.ListMacros(macros);
    for (const Macro& macro : macros) {
        MacroImageInput input;
        database.ListMacroSteps(macro.macro_id, input.steps);
        prepared.macros.push_back(std::move(input));
    }
    prepared.totalSteps = database.CountAllMacroSteps();
    return prepared;
}

MacroUpload SendMacros(DeviceManager& devices, int connectionMode, const PreparedMacros& macros,
                       const PauseFunction& pause) {
    const int count = static_cast<int>(macros.macros.size());
    const PauseFunction wait = pause ? pause : PauseFunction([](int) {});
    switch (connectionMode) {
        case kModeCable:
            if (!FitsCableUpload(macros.totalSteps, count)) {
                return MacroUpload::kTooLarge;
            }
            return SendCable(devices, BuildMacroImageBody(macros.macros), wait);
        case kModeReceiver:
            if (!FitsReceiverUpload(macros.totalSteps, count)) {
                return MacroUpload::kTooLarge;
            }
            return SendReceiver(devices, BuildMacroImageBody(macros.macros), wait);
        default:
            return MacroUpload::kNotSent;
    }
}

}  // namespace zephyl
