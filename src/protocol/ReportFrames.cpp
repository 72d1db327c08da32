// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/ReportFrames.h"

#include <algorithm>

namespace zephyl {

namespace {

template <size_t N>
void CopyAfterReportId(std::array<uint8_t, N>& report, std::span<const uint8_t> data) {
    const size_t count = std::min(data.size(), N - 1);
    std::copy_n(data.begin(), count, report.begin() + 1);
}

CablePayload CableCommand(uint8_t command) {
    CablePayload payload{};
    payload[0] = kCableCommandGroup;
    payload[1] = command;
    return payload;
}

}  // namespace

CableReport BuildCableReport(std::span<const uint8_t> payload) {
    CableReport report{};
    CopyAfterReportId(report, payload.first(std::min(payload.size(), kCablePayloadLength)));
    return report;
}

size_t CablePacketCount(size_t length) {
    return length / kCablePayloadLength;
}

CableReport BuildCablePacket(std::span<const uint8_t> block, size_t index) {
    const size_t offset = index * kCablePayloadLength;
    if (offset >= block.size()) {
        return CableReport{};
    }
    return BuildCableReport(block.subspan(offset));
}

CablePayload BuildBeginCommand(bool macroWrite) {
    return CableCommand(macroWrite ? kCableBeginMacro : kCableBegin);
}

CablePayload BuildHeaderCommand(uint8_t dataType, uint8_t argument, uint16_t packetCount) {
    CablePayload payload = CableCommand(dataType);
    payload[2] = argument;                                         // report byte 3
    payload[8] = static_cast<uint8_t>(packetCount & 0xFF);         // report byte 9
    payload[9] = static_cast<uint8_t>((packetCount >> 8) & 0xFF);  // report byte 10
    return payload;
}

CablePayload BuildEndCommand() {
    return CableCommand(kCableEnd);
}

CablePayload BuildRefreshCommand() {
    return CableCommand(kCableRefresh);
}

void SealBlock(std::span<uint8_t> block) {
    if (block.size() < 2) {
        return;
    }
    block[block.size() - 2] = kTrailerFirst;
    block[block.size() - 1] = kTrailerSecond;
}

uint8_t FrameChecksum(std::span<const uint8_t> frame, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < std::min(length, frame.size()); ++i) {
        sum += frame[i];
    }
    return static_cast<uint8_t>(sum & 0xFF);
}

void SealReceiverFrame(ReceiverFrame& frame, size_t length) {
    frame[kReceiverChecksumPosition] = 0;
    frame[kReceiverChecksumPosition] = FrameChecksum(frame, length);
}

ReceiverFrame BuildProbeFrame() {
    ReceiverFrame frame{};
    frame[1] = kReceiverHandshake;
    SealReceiverFrame(frame, 36);
    return frame;
}

bool AnswerEchoes(std::span<const uint8_t> answer, const ReceiverFrame& request) {
    return answer.size() >= 3 && answer[0] == request[1] && answer[1] == request[2] &&
           answer[2] == request[3];
}

bool IsProbeAnswer(std::span<const uint8_t> answer) {
    return answer.size() >= 3 && answer[0] == kReceiverHandshake && answer[1] == 0 &&
           answer[2] == 0;
}

BulkReport BuildBulkReport(std::span<const uint8_t> block) {
    BulkReport report{};
    CopyAfterReportId(report, block.first(std::min(block.size(), kBulkBlockLength)));
    return report;
}

}  // namespace zephyl
