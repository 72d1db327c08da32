// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The macro memory image: a table of 100 four-byte entries (the offset of each macro's block,
// 0xFF × 4 for a macro without steps, 0 past the last macro), then the blocks, each a count of
// four-byte entries, six 0 bytes and one action entry and one pause entry per step. Values are
// little-endian; the image ends in the block trailer.

#include "device/ReportFrames.h"
#include "store/ProfileRecords.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zephyl {

inline constexpr size_t kMacroTableLength = 400;
inline constexpr int kShortestMacroPause = 10;

/// One macro of the image with its steps in order.
struct MacroImageInput {
    std::vector<MacroStep> steps;
};

/// The table and blocks, without padding: its size is the offset after the last block.
/// Macros beyond the 100 the table addresses are left out.
std::vector<std::uint8_t> BuildMacroImageBody(std::span<const MacroImageInput> macros);

/// The body padded to whole 64-byte packets plus one, with the trailer in the last two bytes.
std::vector<std::uint8_t> CableMacroImage(std::span<const std::uint8_t> body);

/// The body padded to whole 28-byte chunks plus one, with the trailer in the last two bytes.
std::vector<std::uint8_t> ReceiverMacroImage(std::span<const std::uint8_t> body);

/// The receiver frames of an image: chunk k at bytes 28k..28k+27, the last one telling how many
/// bytes of the body its chunk ends.
std::vector<ReceiverFrame> BuildMacroFrames(std::span<const std::uint8_t> receiverImage,
                                            size_t bodyLength);

// Upload limits: eight bytes per macro and per step at most.
/// The cable takes the macro set when 8 × (steps + macros) is below 2700.
bool FitsCableUpload(int totalSteps, int macroCount);
/// The receiver takes it when 8 × (steps + macros) is at most 3600.
bool FitsReceiverUpload(int totalSteps, int macroCount);

}  // namespace zephyl
