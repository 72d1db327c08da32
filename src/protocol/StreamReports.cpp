// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/StreamReports.h"

#include <algorithm>

namespace zephyl {
namespace {

uint8_t Scaled(std::uint32_t colour, int shift, int level) {
    const int channel = static_cast<int>((colour >> shift) & 0xFF);
    return static_cast<uint8_t>(channel * level / 256);
}

}  // namespace

size_t StreamBlockLength(bool perKeyColour) {
    return perKeyColour ? kStreamRgbLength : kStreamSingleColourLength;
}

CablePayload BuildStreamFrameCommand(bool perKeyColour) {
    const auto packets =
        static_cast<uint16_t>(StreamBlockLength(perKeyColour) / kCablePayloadLength);
    return BuildHeaderCommand(kDataStreamFrame, 0, packets);
}

CablePayload BuildStreamCloseCommand() {
    return BuildEndCommand();
}

size_t FillStreamBuffer(std::span<const StreamKey> keys, bool perKeyColour, StreamBuffer& buffer) {
    buffer.fill(0);
    const size_t length = StreamBlockLength(perKeyColour);
    if (perKeyColour) {
        size_t position = 0;
        for (const StreamKey& key : keys) {
            if (position + kStreamRgbGroupLength > length) {
                break;
            }
            buffer[position] = static_cast<uint8_t>(key.lightIndex & 0xFF);
            if (key.lit) {
                const int level = std::clamp(key.level, 0, 255);
                buffer[position + 1] = Scaled(key.colour, 0, level);
                buffer[position + 2] = Scaled(key.colour, 8, level);
                buffer[position + 3] = Scaled(key.colour, 16, level);
            }
            position += kStreamRgbGroupLength;
        }
        return length;
    }
    for (const StreamKey& key : keys) {
        if (key.lit && key.lightIndex >= 0 && static_cast<size_t>(key.lightIndex) < length) {
            buffer[static_cast<size_t>(key.lightIndex)] = static_cast<uint8_t>(key.level & 0xFF);
        }
    }
    return length;
}

}  // namespace zephyl
