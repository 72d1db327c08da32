// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The named bytes of every report the keyboard understands. Nothing outside this library writes
// a report kind, a command or a trailer as a bare number; the virtual keyboard keeps its own copy
// on purpose, so that the tests compare two independent readings of the protocol.

#include <cstddef>
#include <cstdint>

namespace zephyl {

// ---- Lengths ----

inline constexpr size_t kCableReportLength = 65;
inline constexpr size_t kCablePayloadLength = 64;
inline constexpr size_t kReceiverReportLength = 33;
inline constexpr size_t kReceiverChecksumPosition = 32;
inline constexpr size_t kReceiverFrameLength = 65;  ///< the buffer callers fill for a frame
/// A receiver frame carries at most this many block bytes (positions 4..31).
inline constexpr size_t kReceiverPieceLength = 28;
inline constexpr size_t kBulkReportLength = 4097;
inline constexpr size_t kBulkBlockLength = 4096;
inline constexpr size_t kReadBlockCount = 9;
inline constexpr size_t kReadBlocksLength = kReadBlockCount * kCablePayloadLength;

// ---- Cable status (read-back report byte 4) ----

inline constexpr size_t kStatusPosition = 4;
inline constexpr uint8_t kStatusAccepted = 0x01;
inline constexpr uint8_t kStatusBusy = 0xFF;

// ---- Cable write sequence: report byte 1 is the group, byte 2 the command or data type ----

inline constexpr uint8_t kCableCommandGroup = 0x04;
inline constexpr uint8_t kCableBegin = 0x18;
inline constexpr uint8_t kCableBeginMacro = 0x19;
inline constexpr uint8_t kCableEnd = 0x02;
inline constexpr uint8_t kCableRefresh = 0xF0;

// Data types announced by a header (report byte 2), with their arguments (report byte 3).
inline constexpr uint8_t kDataKeyTableBase = 0x11;
inline constexpr uint8_t kDataKeyTableFn = 0x27;
inline constexpr uint8_t kDataLightingBlock = 0x13;
inline constexpr uint8_t kDataMacroImage = 0x15;
inline constexpr uint8_t kDataSettings = 0x17;
inline constexpr uint8_t kSettingsArgumentKeyboard = 0x01;  ///< the screen's block uses 0
inline constexpr uint8_t kDataStreamFrame = 0x20;           ///< per-key colours of one frame
inline constexpr uint8_t kDataUserColours = 0x23;
inline constexpr uint8_t kDataScreenBlock = 0x28;  ///< slot selection and clock
inline constexpr uint8_t kDataScreenImage = 0x72;
inline constexpr uint8_t kCableReadLiveColours = 0xF5;

// ---- Block trailer ----

inline constexpr uint8_t kTrailerFirst = 0xAA;
inline constexpr uint8_t kTrailerSecond = 0x55;

// ---- Receiver commands (frame byte 1) ----

inline constexpr uint8_t kReceiverHandshake = 0x02;
inline constexpr uint8_t kReceiverKeySlotBase = 0x03;
inline constexpr uint8_t kReceiverLightingRecord = 0x05;
inline constexpr uint8_t kReceiverSettings = 0x07;
inline constexpr uint8_t kReceiverMacroChunk = 0x09;
inline constexpr uint8_t kReceiverMusicFrame = 0x0B;
inline constexpr uint8_t kReceiverClock = 0x0C;
inline constexpr uint8_t kReceiverKeySlotFn = 0x0D;
inline constexpr uint8_t kReceiverRestoreDefaults = 0x0F;
inline constexpr uint8_t kReceiverKeyTableBase = 0x10;
inline constexpr uint8_t kReceiverKeyTableFn = 0x12;
inline constexpr uint8_t kReceiverUserColours = 0x14;
inline constexpr uint8_t kReceiverResetKeys = 0x1F;
inline constexpr uint8_t kReceiverBattery = 0x20;
inline constexpr uint8_t kReceiverScreenStart = 0x7F;
inline constexpr uint8_t kReceiverScreenUnit = 0x80;

// Frame byte 2: how many data bytes follow, as a rule.
inline constexpr uint8_t kReceiverOneValue = 0x01;
inline constexpr uint8_t kReceiverKeySlotLength = 0x04;
inline constexpr uint8_t kReceiverRecordLength = 0x10;  ///< a 16-byte record at 4..19
inline constexpr uint8_t kReceiverScreenStartLength = 0x03;

// ---- Lighting records ----

inline constexpr uint8_t kLightingSideLightFirst = 0x20;
inline constexpr uint8_t kLightingSideLightLast = 0x29;
inline constexpr uint8_t kLightingUserMode = 0x80;
inline constexpr uint8_t kScreenMarker = 0x5A;

// ---- Notification interface (input report byte 0 is its report id) ----

inline constexpr uint8_t kNotificationReportId = 0x05;
inline constexpr uint8_t kNotificationConnection = 0xA6;
inline constexpr uint8_t kConnectionAwake[2] = {0xFF, 0x01};
inline constexpr uint8_t kConnectionAsleep[2] = {0xFE, 0x02};

}  // namespace zephyl
