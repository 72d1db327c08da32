// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Byte layouts of the keyboard's reports. Positions count the report as the system passes it:
// byte 0 is the report id, always 0 on output because the keyboard numbers no reports.

#include "protocol/ReportKinds.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zephyl {

using CableReport = std::array<uint8_t, kCableReportLength>;
using CablePayload = std::array<uint8_t, kCablePayloadLength>;
/// A receiver frame as callers fill it: 65 zeroed bytes, command at 1, checksum at 32; the
/// first 33 bytes travel.
using ReceiverFrame = std::array<uint8_t, kReceiverFrameLength>;
using BulkReport = std::array<uint8_t, kBulkReportLength>;

/// Report id 0 followed by the first 64 bytes of `payload` (zero-padded when shorter).
CableReport BuildCableReport(std::span<const uint8_t> payload);

/// Number of 64-byte packets a block of `length` bytes travels in; bytes past the last whole
/// packet are not sent.
size_t CablePacketCount(size_t length);

/// Packet `index` of a block as a cable report.
CableReport BuildCablePacket(std::span<const uint8_t> block, size_t index);

/// Write-sequence payloads: begin (macro writes use their own begin), block header, end, refresh.
CablePayload BuildBeginCommand(bool macroWrite = false);
/// The header carries the packet count in report bytes 9 (low) and 10 (high).
CablePayload BuildHeaderCommand(uint8_t dataType, uint8_t argument, uint16_t packetCount);
CablePayload BuildEndCommand();
CablePayload BuildRefreshCommand();

/// Puts the block trailer 0xAA 0x55 into the last two bytes of a block.
void SealBlock(std::span<uint8_t> block);

/// Low 8 bits of the sum of the first `length` bytes.
uint8_t FrameChecksum(std::span<const uint8_t> frame, size_t length);

/// Writes the checksum of the first `length` bytes of the frame at byte 32, summed while byte 32
/// is 0 so that a reused buffer never adds its old checksum.
void SealReceiverFrame(ReceiverFrame& frame, size_t length);

/// The handshake frame that tells whether a keyboard answers behind a receiver.
ReceiverFrame BuildProbeFrame();

/// Answer bytes 0..2 echo request bytes 1..3.
bool AnswerEchoes(std::span<const uint8_t> answer, const ReceiverFrame& request);

/// The handshake was answered: echo of 0x02 with both following bytes 0.
bool IsProbeAnswer(std::span<const uint8_t> answer);

/// Report id 0 followed by the 4096-byte block (zero-padded when shorter).
BulkReport BuildBulkReport(std::span<const uint8_t> block);

}  // namespace zephyl
