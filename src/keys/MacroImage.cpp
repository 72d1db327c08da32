// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroImage.h"

#include <algorithm>

#include "keys/KeyCodes.h"
#include "keys/MacroStepRow.h"

#include <optional>

namespace zephyl {
namespace {

// The stored button numbers: 1 left, 2 middle, 3 right.
std::optional<std::uint8_t> ButtonMask(int value) {
    switch (value) {
        case 1:
            return kMacroButtonLeft;
        case 2:
            return kMacroButtonMiddle;
        case 3:
            return kMacroButtonRight;
        default:
            return std::nullopt;
    }
}

}  // namespace

MacroImageStep ToImageStep(const MacroStep& step) {
    MacroImageStep out;
    out.pause = step.delay_time;
    switch (step.type) {
        case kStepKeyDown:
        case kStepKeyUp:
            out.action = step.type == kStepKeyDown ? MacroAction::kKeyDown : MacroAction::kKeyUp;
            out.code = static_cast<std::uint8_t>(VirtualKeyToUsage(step.value) & 0xFF);
            break;
        case kStepButtonDown:
        case kStepButtonUp:
            if (const auto mask = ButtonMask(step.value)) {
                out.action = step.type == kStepButtonDown ? MacroAction::kButtonDown
                                                          : MacroAction::kButtonUp;
                out.code = *mask;
            }
            break;
        default:
            break;
    }
    return out;
}

std::vector<std::uint8_t> BuildMacroImageBody(std::span<const MacroImageInput> macros) {
    std::vector<MacroImageSteps> converted;
    converted.reserve(macros.size());
    for (const MacroImageInput& macro : macros) {
        MacroImageSteps steps;
        steps.reserve(macro.steps.size());
        for (const MacroStep& step : macro.steps) {
            steps.push_back(ToImageStep(step));
        }
        converted.push_back(std::move(steps));
    }
    return EncodeMacroImageBody(converted);
}

bool FitsCableUpload(int totalSteps, int macroCount) {
    return 8 * (totalSteps + macroCount) < 2700;
}

bool FitsReceiverUpload(int totalSteps, int macroCount) {
    return 8 * (totalSteps + macroCount) <= 3600;
}

int StepsOverUpload(bool receiver, int totalSteps, int macroCount) {
    // Entries of eight bytes each: the cable takes fewer than 2700 bytes, the receiver 3600.
    const int mostEntries = receiver ? 3600 / 8 : (2700 - 1) / 8;
    return std::max(0, totalSteps + macroCount - mostEntries);
}

}  // namespace zephyl
