// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The lighting family: the 64-byte lighting block the cable writes with data type 0x13 (an
// effect, the side light or the user-lighting mode), the receiver's lighting record, the user
// colour block, and the live-colour answer.

#include "protocol/ReportFrames.h"

#include <cstdint>
#include <map>
#include <span>
#include <utility>
#include <vector>

namespace zephyl {

/// What an effect record carries. Colours are 0x00BBGGRR (red in the low byte).
struct LightingRecord {
    int mode = 0;
    std::uint32_t colour = 0;
    int colorful = 0;
    int brightness = 0;
    int speed = 0;
    int direction = 0;
};

/// Number of 64-byte packets of the user colour block and of the live-colour answer.
inline constexpr int kRgbColourPackets = 9;
inline constexpr int kSingleColourPackets = 3;
inline constexpr std::size_t kRgbColourBlockLength = kRgbColourPackets * kCablePayloadLength;
inline constexpr std::size_t kSingleColourBlockLength = kSingleColourPackets * kCablePayloadLength;

/// The lighting block of an effect. Effect 0 carries its mode and the trailer only: the
/// keyboard turns the light off and reads nothing else.
CablePayload BuildEffectBlock(const LightingRecord& record);

/// The lighting block that switches the side light to `value` (0x20..0x29).
CablePayload BuildSideLightBlock(int value);

/// The lighting block that switches the keyboard to the colours written with the user colour
/// block, at `brightness`.
CablePayload BuildUserLightModeBlock(int brightness);

/// The receiver's lighting record: 05 10 00 followed by the first 16 bytes of `block`.
ReceiverFrame BuildLightingFrame(const CablePayload& block);

/// The receiver's side-light frame: 05 01 00 value, trailer at 18..19.
ReceiverFrame BuildSideLightFrame(int value);

/// One key's colour of a user lighting set.
struct KeyColour {
    int keyCode = 0;
    std::int32_t colour = 0;  ///< 0x00BBGGRR as stored; a negative value is dark
};

/// The user colour block: 576 bytes of [light index, red, green, blue] per light on an RGB
/// keyboard, 192 bytes of one level per light (0xFF for a positive colour) on a single-colour
/// one, trailer in the last two bytes. Keys without a light index above 0 in `lightIndexes`,
/// and lights whose bytes would reach into the trailer, are left out.
std::vector<std::uint8_t> BuildUserColourBlock(std::span<const KeyColour> keys,
                                               const std::map<int, int>& lightIndexes,
                                               bool rgbKeyboard);

/// The receiver frames of a user colour block: 14 n k followed by 28-byte pieces, the last
/// piece shorter (n its length).
std::vector<ReceiverFrame> BuildUserColourFrames(std::span<const std::uint8_t> block);

/// The request that asks for the colours every light shows now (9 or 3 answer packets).
CablePayload BuildLiveColoursRequest(bool rgbKeyboard);

/// The colour of each key in `lightIndexes` (key code → light index) from the live-colour
/// answer: RGB keyboards give [index, red, green, blue] per light, single-colour ones a level
/// per light, shown as a grey. Keys whose light lies beyond the answer get no colour.
std::vector<std::pair<int, std::uint32_t>> DecodeLiveColours(std::span<const std::uint8_t> answer,
                                                             const std::map<int, int>& lightIndexes,
                                                             bool rgbKeyboard);

}  // namespace zephyl
