// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Stored macros in the keyboard's terms: each step as an action and a pause of the macro image,
// and the limits of what one upload takes.

#include "protocol/MacroImage.h"
#include "store/ProfileRecords.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zephyl {

/// One macro of the image with its steps in order.
struct MacroImageInput {
    std::vector<MacroStep> steps;
};

/// A stored step as the image carries it: key steps by their usage, button steps by their mask;
/// other steps, and buttons the keyboard has no bit for, are only their pause.
MacroImageStep ToImageStep(const MacroStep& step);

/// The table and blocks of the stored macros, without padding (see the protocol's builder).
std::vector<std::uint8_t> BuildMacroImageBody(std::span<const MacroImageInput> macros);

// Upload limits: eight bytes per macro and per step at most.
/// The cable takes the macro set when 8 × (steps + macros) is below 2700.
bool FitsCableUpload(int totalSteps, int macroCount);
/// The receiver takes it when 8 × (steps + macros) is at most 3600.
bool FitsReceiverUpload(int totalSteps, int macroCount);
/// How many steps the set must lose to fit the connection's upload; 0 when it fits.
int StepsOverUpload(bool receiver, int totalSteps, int macroCount);

}  // namespace zephyl
