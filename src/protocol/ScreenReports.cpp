// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/ScreenReports.h"

#include <algorithm>
#include <cstring>

namespace zephyl {
namespace {

constexpr std::uint8_t kFill = 0xFF;
constexpr std::uint8_t kClockRecordLength = 0x10;

std::uint8_t Byte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

/// The clock fields from `at` on, in the order both transports carry them.
template <typename Bytes>
void PutClock(Bytes& bytes, std::size_t at, const ScreenClock& clock) {
    bytes[at] = Byte(clock.year % 2000);
    bytes[at + 1] = Byte(clock.month);
    bytes[at + 2] = Byte(clock.day);
    bytes[at + 3] = Byte(clock.hour);
    bytes[at + 4] = Byte(clock.minute);
    bytes[at + 5] = Byte(clock.second);
    bytes[at + 7] = Byte(clock.weekday);
}

}  // namespace

std::uint8_t ScreenDelayCode(int delayMs) {
    // One byte of 2 ms steps: a longer delay would wrap round to a short one (1000 ms to
    // 488 ms), so it plays for the longest the editor offers instead.
    const int steps = ScreenDelayUsed(delayMs) / 2;
    return steps > 1 ? Byte(steps) : 1;
}

int ScreenDelayUsed(int delayMs) {
    return std::min(delayMs, kLongestScreenDelayMs);
}

std::size_t ScreenImageLength(const ScreenGeometry& geometry, int frames) {
    return static_cast<std::size_t>(std::max(0, geometry.headerLength)) +
           static_cast<std::size_t>(std::max(0, frames)) *
               static_cast<std::size_t>(std::max(0, geometry.FrameBytes()));
}

std::size_t ScreenUnitCount(std::size_t length, std::size_t unit) {
    return unit == 0 ? 0 : (length + unit - 1) / unit;
}

std::span<std::uint8_t> ScreenImage::Frame(const ScreenGeometry& geometry, int k) {
    const std::size_t frameBytes = static_cast<std::size_t>(geometry.FrameBytes());
    const std::size_t offset =
        static_cast<std::size_t>(geometry.headerLength) + static_cast<std::size_t>(k) * frameBytes;
    if (k < 0 || k >= frames || offset + frameBytes > bytes.size()) {
        return {};
    }
    return std::span<std::uint8_t>(bytes).subspan(offset, frameBytes);
}

std::span<const std::uint8_t> ScreenImage::Unit(std::size_t i) const {
    if (i >= units) {
        return {};
    }
    return std::span<const std::uint8_t>(bytes).subspan(i * unit, unit);
}

ScreenImage MakeScreenImage(const ScreenGeometry& geometry, std::span<const int> delaysMs,
                            std::size_t unit) {
    ScreenImage image;
    image.unit = unit;
    image.frames = static_cast<int>(std::min<std::size_t>(
        delaysMs.size(), static_cast<std::size_t>(std::max(0, geometry.maxFrames))));
    const std::size_t length = ScreenImageLength(geometry, image.frames);
    image.units = ScreenUnitCount(length, unit);
    image.bytes.assign(image.units * unit, kFill);
    if (geometry.headerLength > 0 && !image.bytes.empty()) {
        image.bytes[0] = Byte(image.frames);
        const std::size_t codes =
            std::min<std::size_t>(static_cast<std::size_t>(image.frames),
                                  static_cast<std::size_t>(geometry.headerLength - 1));
        for (std::size_t k = 0; k < codes; ++k) {
            image.bytes[1 + k] = ScreenDelayCode(delaysMs[k]);
        }
    }
    return image;
}

std::array<std::uint8_t, kCablePayloadLength> BuildSelectSlotBlock(int slot) {
    std::array<std::uint8_t, kCablePayloadLength> block{};
    block[0] = kScreenMarker;
    block[1] = Byte(slot + 1);
    SealBlock(block);
    return block;
}

std::array<std::uint8_t, kCablePayloadLength> BuildScreenSettingsBlock() {
    std::array<std::uint8_t, kCablePayloadLength> block{};
    block[6] = 0x02;
    block[7] = 0x07;
    block[8] = 0x02;
    SealBlock(block);
    return block;
}

std::array<std::uint8_t, kCablePayloadLength> BuildClockBlock(const ScreenClock& clock,
                                                              int libraryPosition) {
    std::array<std::uint8_t, kCablePayloadLength> block{};
    block[1] = Byte(libraryPosition + 1);
    block[2] = kScreenMarker;
    PutClock(block, 3, clock);
    SealBlock(block);
    return block;
}

ReceiverFrame BuildClockFrame(const ScreenClock& clock, int libraryPosition) {
    ReceiverFrame frame{};
    frame[1] = kReceiverClock;
    frame[2] = kClockRecordLength;
    frame[5] = Byte(libraryPosition + 1);
    frame[6] = kScreenMarker;
    PutClock(frame, 7, clock);
    frame[18] = kTrailerFirst;
    frame[19] = kTrailerSecond;
    return frame;
}

ReceiverFrame BuildScreenStartFrame(int uploadIndex, std::size_t units) {
    ReceiverFrame frame{};
    frame[1] = kReceiverScreenStart;
    frame[2] = kReceiverScreenStartLength;
    frame[4] = Byte(uploadIndex);
    frame[5] = static_cast<std::uint8_t>(units & 0xFF);
    frame[6] = static_cast<std::uint8_t>((units >> 8) & 0xFF);
    frame[7] = static_cast<std::uint8_t>((units >> 16) & 0xFF);
    return frame;
}

ReceiverFrame BuildScreenUnitFrame(const ScreenImage& image, std::size_t i) {
    ReceiverFrame frame{};
    frame[1] = static_cast<std::uint8_t>(kReceiverScreenUnit | ((i >> 16) & 0x7F));
    frame[2] = static_cast<std::uint8_t>(i & 0xFF);
    frame[3] = static_cast<std::uint8_t>((i >> 8) & 0xFF);
    const std::span<const std::uint8_t> unit = image.Unit(i);
    std::memcpy(frame.data() + 4, unit.data(), std::min(unit.size(), kReceiverPieceLength));
    return frame;
}

}  // namespace zephyl
