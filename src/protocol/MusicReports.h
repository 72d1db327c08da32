// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The music frame of the receiver connection: the column heights of the spectrum with the
// schemes that colour them. (On the cable the music frame is the stream frame.)

#include "protocol/ReportFrames.h"

#include <cstddef>
#include <span>

namespace zephyl {

/// Columns the receiver frame carries; a wider layout sends its first ones.
inline constexpr size_t kMusicHeightColumns = 21;
/// The receiver frame's checksum covers this many bytes.
inline constexpr size_t kMusicFrameChecksumLength = kReceiverReportLength;

/// [1] 0x0B, [2] 0x1C, [3] 0, [4] fore scheme, [5] back scheme, [6] back brightness,
/// [7..27] the first 21 heights (missing ones 0). The checksum is added when it is sent.
ReceiverFrame BuildMusicHeightsFrame(int foreScheme, int backScheme, int backBrightness,
                                     std::span<const int> heights);

}  // namespace zephyl
