// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The screen's reports: slot selection, the screen image with its header and transfer units on
// both transports, and the clock.

#include "protocol/ReportFrames.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zephyl {

/// Screen geometry and limits of a model's layout.
struct ScreenGeometry {
    int width = 128;
    int height = 128;
    int headerLength = 256;  ///< `gif_headlength`: frame count, delay codes, 0xFF fill
    int maxFrames = 256;     ///< `gif_maxframes`
    int FrameBytes() const { return width * height * 2; }
};

/// Unit sizes of the two transports.
inline constexpr std::size_t kScreenCableUnit = kBulkBlockLength;         // 4096
inline constexpr std::size_t kScreenReceiverUnit = kReceiverPieceLength;  // 28

/// The longest frame delay the keyboard is sent, the delay editor's maximum: its code, 250,
/// still fits the one byte a delay has.
inline constexpr int kLongestScreenDelayMs = 500;

/// Delay in milliseconds as the keyboard counts it: 2 ms steps, never below 1; delays longer
/// than kLongestScreenDelayMs are sent as that.
std::uint8_t ScreenDelayCode(int delayMs);

/// The delay a frame of `delayMs` is shown with on the keyboard, as the editor shows it: at most
/// kLongestScreenDelayMs.
int ScreenDelayUsed(int delayMs);

/// Image length without padding: header plus `frames` frames.
std::size_t ScreenImageLength(const ScreenGeometry& geometry, int frames);
/// Number of `unit`-byte transfer units of an image of `length` bytes (rounded up).
std::size_t ScreenUnitCount(std::size_t length, std::size_t unit);

/// A screen image ready to send: header, frames, 0xFF up to whole units.
struct ScreenImage {
    std::vector<std::uint8_t> bytes;  ///< units · unit bytes
    int frames = 0;                   ///< N
    std::size_t units = 0;            ///< B
    std::size_t unit = 0;             ///< U
    /// Where frame k's W · H · 2 RGB565 bytes go.
    std::span<std::uint8_t> Frame(const ScreenGeometry& geometry, int k);
    std::span<const std::uint8_t> Unit(std::size_t i) const;
};

/// An image of min(delays, maxFrames) frames: byte 0 the frame count, then the delay codes, 0xFF
/// to the header's end and everywhere a frame has not been written yet. A header too short for
/// the delay codes keeps only those that fit, so no code ever lands in a frame's pixels.
ScreenImage MakeScreenImage(const ScreenGeometry& geometry, std::span<const int> delaysMs,
                            std::size_t unit);

/// Slot selection, two blocks: the 0x28 block `5A slot+1`, then the screen's settings block.
std::array<std::uint8_t, kCablePayloadLength> BuildSelectSlotBlock(int slot);
std::array<std::uint8_t, kCablePayloadLength> BuildScreenSettingsBlock();

/// Local time as the keyboard's clock takes it.
struct ScreenClock {
    int year = 2000;  ///< full year
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;  ///< 0 = Sunday
};

/// The keyboard keeps the year as two digits after 2000; no other year can be sent.
inline constexpr int kClockFirstYear = 2000;
inline constexpr int kClockLastYear = 2099;
constexpr bool ClockYearFits(int year) {
    return year >= kClockFirstYear && year <= kClockLastYear;
}

/// Cable: the 0x28 block `00 position+1 5A yy mm dd hh mi ss 00 wd … AA 55`.
std::array<std::uint8_t, kCablePayloadLength> BuildClockBlock(const ScreenClock& clock,
                                                              int libraryPosition);
/// Receiver: `0C 10 00 00 position+1 5A yy mm dd hh mi ss 00 wd … AA 55`.
ReceiverFrame BuildClockFrame(const ScreenClock& clock, int libraryPosition);

/// Receiver: the start frame `7F 03 00 index B0 B1 B2`.
ReceiverFrame BuildScreenStartFrame(int uploadIndex, std::size_t units);
/// Receiver: unit `i` of the image, `80|hi lo mid` and its 28 bytes.
ReceiverFrame BuildScreenUnitFrame(const ScreenImage& image, std::size_t i);

}  // namespace zephyl
