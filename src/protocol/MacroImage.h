// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The macro memory image: a table of 100 four-byte entries (the offset of each macro's block,
// 0xFF × 4 for a macro without steps, 0 past the last macro), then the blocks, each a count of
// four-byte entries, six 0 bytes and one action entry and one pause entry per step. Values are
// little-endian; the image ends in the block trailer.

#include "protocol/ReportFrames.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zephyl {

inline constexpr size_t kMacroTableLength = 400;
inline constexpr int kShortestMacroPause = 10;

// Mouse buttons as a macro's button entries carry them.
inline constexpr std::uint8_t kMacroButtonLeft = 0x01;
inline constexpr std::uint8_t kMacroButtonRight = 0x02;
inline constexpr std::uint8_t kMacroButtonMiddle = 0x04;

/// What a step does before its pause.
enum class MacroAction { kNone, kKeyDown, kKeyUp, kButtonDown, kButtonUp };

/// One step of a macro in the keyboard's terms.
struct MacroImageStep {
    MacroAction action = MacroAction::kNone;
    std::uint8_t code = 0;  ///< key usage, or button mask
    int pause = 0;          ///< milliseconds; raised to the shortest pause, cut to 16 bits
};

using MacroImageSteps = std::vector<MacroImageStep>;

/// The table and blocks, without padding: its size is the offset after the last block.
/// Macros beyond the 100 the table addresses are left out.
std::vector<std::uint8_t> EncodeMacroImageBody(std::span<const MacroImageSteps> macros);

/// The body padded to whole 64-byte packets plus one, with the trailer in the last two bytes.
std::vector<std::uint8_t> CableMacroImage(std::span<const std::uint8_t> body);

/// The body padded to whole 28-byte chunks plus one, with the trailer in the last two bytes.
std::vector<std::uint8_t> ReceiverMacroImage(std::span<const std::uint8_t> body);

/// The receiver frames of an image: chunk k at bytes 28k..28k+27, the last one telling how many
/// bytes of the body its chunk ends.
std::vector<ReceiverFrame> BuildMacroFrames(std::span<const std::uint8_t> receiverImage,
                                            size_t bodyLength);

}  // namespace zephyl
