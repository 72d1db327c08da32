// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/MusicReports.h"

#include "protocol/ReportKinds.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr uint8_t kMusicFrameLength = 0x1C;
constexpr size_t kFirstHeight = 7;

uint8_t Byte(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

}  // namespace

ReceiverFrame BuildMusicHeightsFrame(int foreScheme, int backScheme, int backBrightness,
                                     std::span<const int> heights) {
    ReceiverFrame frame{};
    frame[1] = kReceiverMusicFrame;
    frame[2] = kMusicFrameLength;
    frame[3] = 0;
    frame[4] = Byte(foreScheme);
    frame[5] = Byte(backScheme);
    frame[6] = Byte(backBrightness);
    const size_t count = std::min(heights.size(), kMusicHeightColumns);
    for (size_t c = 0; c < count; ++c) {
        frame[kFirstHeight + c] = Byte(heights[c]);
    }
    return frame;
}

}  // namespace zephyl
