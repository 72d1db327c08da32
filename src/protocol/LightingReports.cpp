// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/LightingReports.h"

#include <algorithm>

namespace zephyl {
namespace {

// Positions in the 64-byte lighting block (report byte k is block byte k − 1).
constexpr std::size_t kModeByte = 0;
constexpr std::size_t kRedByte = 1;
constexpr std::size_t kColorfulByte = 8;
constexpr std::size_t kBrightnessByte = 9;
constexpr std::size_t kSpeedByte = 10;
constexpr std::size_t kDirectionByte = 11;
constexpr std::size_t kBlockTrailer = 14;
constexpr std::size_t kLightingRecordLength = 16;

// Positions in a receiver frame.
constexpr std::size_t kFrameCommand = 1;
constexpr std::size_t kFrameLength = 2;
constexpr std::size_t kFrameIndex = 3;
constexpr std::size_t kFrameData = 4;
constexpr std::size_t kFrameTrailer = kFrameData + kBlockTrailer;
constexpr std::uint8_t kReceiverSideLightLength = 0x01;

constexpr std::uint8_t Byte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

CablePayload SealedBlock(int mode) {
    CablePayload block{};
    block[kModeByte] = Byte(mode);
    block[kBlockTrailer] = kTrailerFirst;
    block[kBlockTrailer + 1] = kTrailerSecond;
    return block;
}

}  // namespace

CablePayload BuildEffectBlock(const LightingRecord& record) {
    CablePayload block = SealedBlock(record.mode);
    if (Byte(record.mode) == 0) {
        return block;
    }
    block[kRedByte] = Byte(int(record.colour));
    block[kRedByte + 1] = Byte(int(record.colour >> 8));
    block[kRedByte + 2] = Byte(int(record.colour >> 16));
    block[kColorfulByte] = Byte(record.colorful);
    block[kBrightnessByte] = Byte(record.brightness);
    block[kSpeedByte] = Byte(record.speed);
    block[kDirectionByte] = Byte(record.direction);
    return block;
}

CablePayload BuildSideLightBlock(int value) {
    return SealedBlock(value);
}

CablePayload BuildUserLightModeBlock(int brightness) {
    CablePayload block = SealedBlock(kLightingUserMode);
    block[kBrightnessByte] = Byte(brightness);
    return block;
}

ReceiverFrame BuildLightingFrame(const CablePayload& block) {
    ReceiverFrame frame{};
    frame[kFrameCommand] = kReceiverLightingRecord;
    frame[kFrameLength] = kReceiverRecordLength;
    std::copy_n(block.begin(), kLightingRecordLength, frame.begin() + kFrameData);
    return frame;
}

ReceiverFrame BuildSideLightFrame(int value) {
    ReceiverFrame frame{};
    frame[kFrameCommand] = kReceiverLightingRecord;
    frame[kFrameLength] = kReceiverSideLightLength;
    frame[kFrameData] = Byte(value);
    frame[kFrameTrailer] = kTrailerFirst;
    frame[kFrameTrailer + 1] = kTrailerSecond;
    return frame;
}

std::vector<std::uint8_t> BuildUserColourBlock(std::span<const KeyColour> keys,
                                               const std::map<int, int>& lightIndexes,
                                               bool rgbKeyboard) {
    const std::size_t length = rgbKeyboard ? kRgbColourBlockLength : kSingleColourBlockLength;
    const std::size_t groupLength = rgbKeyboard ? 4 : 1;
    const std::size_t trailer = length - 2;
    std::vector<std::uint8_t> block(length, 0);
    for (const KeyColour& key : keys) {
        const auto found = lightIndexes.find(key.keyCode);
        if (found == lightIndexes.end() || found->second <= 0) {
            continue;
        }
        const auto light = static_cast<std::size_t>(found->second);
        // A light whose group would reach the trailer cannot be written without breaking it.
        if ((light + 1) * groupLength > trailer) {
            continue;
        }
        if (rgbKeyboard) {
            const auto colour = static_cast<std::uint32_t>(key.colour);
            block[4 * light] = Byte(int(light));
            block[4 * light + 1] = Byte(int(colour));
            block[4 * light + 2] = Byte(int(colour >> 8));
            block[4 * light + 3] = Byte(int(colour >> 16));
        } else {
            block[light] = key.colour > 0 ? 0xFF : 0x00;
        }
    }
    block[trailer] = kTrailerFirst;
    block[trailer + 1] = kTrailerSecond;
    return block;
}

std::vector<ReceiverFrame> BuildUserColourFrames(std::span<const std::uint8_t> block) {
    std::vector<ReceiverFrame> frames;
    for (std::size_t start = 0, index = 0; start < block.size();
         start += kReceiverPieceLength, ++index) {
        const std::size_t piece = std::min(kReceiverPieceLength, block.size() - start);
        ReceiverFrame frame{};
        frame[kFrameCommand] = kReceiverUserColours;
        frame[kFrameLength] = Byte(int(piece));
        frame[kFrameIndex] = Byte(int(index));
        std::copy_n(block.begin() + std::ptrdiff_t(start), piece, frame.begin() + kFrameData);
        frames.push_back(frame);
    }
    return frames;
}

CablePayload BuildLiveColoursRequest(bool rgbKeyboard) {
    CablePayload request{};
    request[0] = kCableCommandGroup;
    request[1] = kCableReadLiveColours;
    request[8] = Byte(rgbKeyboard ? kRgbColourPackets : kSingleColourPackets);
    return request;
}

std::vector<std::pair<int, std::uint32_t>> DecodeLiveColours(std::span<const std::uint8_t> answer,
                                                             const std::map<int, int>& lightIndexes,
                                                             bool rgbKeyboard) {
    std::vector<std::pair<int, std::uint32_t>> colours;
    for (const auto& [code, index] : lightIndexes) {
        if (index < 0) {
            continue;
        }
        const auto light = static_cast<std::size_t>(index);
        if (rgbKeyboard) {
            if (4 * light + 3 >= answer.size()) {
                continue;
            }
            colours.emplace_back(code, std::uint32_t(answer[4 * light + 1]) |
                                           (std::uint32_t(answer[4 * light + 2]) << 8) |
                                           (std::uint32_t(answer[4 * light + 3]) << 16));
        } else {
            if (light >= answer.size()) {
                continue;
            }
            const std::uint32_t level = std::uint32_t(answer[light]) * 255 / 256;
            colours.emplace_back(code, level | (level << 8) | (level << 16));
        }
    }
    return colours;
}

}  // namespace zephyl
