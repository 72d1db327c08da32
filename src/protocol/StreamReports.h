// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The real-time lighting frame the keyboard shows as it comes: a frame command announcing the
// packets, the per-light block, and a closing report. Nothing of it is kept by the keyboard.

#include "protocol/ReportFrames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zephyl {

/// The frame buffer is filled at this size; only its first 512 (per-key colour) or 192
/// (single colour) bytes travel.
inline constexpr size_t kStreamBufferLength = 600;
inline constexpr size_t kStreamRgbLength = 512;
inline constexpr size_t kStreamSingleColourLength = 192;
inline constexpr size_t kStreamRgbGroupLength = 4;

using StreamBuffer = std::array<uint8_t, kStreamBufferLength>;

/// One light of a frame as the animation left it: `colour` is 0x00BBGGRR, `level` 0..255.
struct StreamKey {
    int lightIndex = 0;
    std::uint32_t colour = 0;
    int level = 0;
    bool lit = false;
};

/// The bytes of the block a frame sends: 512 on a per-key colour keyboard, else 192.
size_t StreamBlockLength(bool perKeyColour);

/// Frame command: [1] 0x04, [2] 0x20, [9] the packet count (8 per-key colour, 3 single colour).
CablePayload BuildStreamFrameCommand(bool perKeyColour);

/// Closing report of a frame: [1] 0x04, [2] 0x02.
CablePayload BuildStreamCloseCommand();

/// Fills `buffer` (zeroed first) with the lights in their order. Per-key colour: a group
/// [light index, red, green, blue] per key, the colour scaled by level / 256 and left 0 for an
/// unlit key; keys past the 128 groups the block holds are left out. Single colour: the byte
/// at the light index holds the level of a lit key; lights past the block are left out.
/// Returns the number of bytes to send.
size_t FillStreamBuffer(std::span<const StreamKey> keys, bool perKeyColour, StreamBuffer& buffer);

}  // namespace zephyl
