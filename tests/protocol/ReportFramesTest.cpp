// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/ReportFrames.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace zephyl {
namespace {

TEST(ReportFramesTest, ReceiverChecksum) {
    // The battery query: all zero except command 0x20 and one data byte.
    ReceiverFrame battery{};
    battery[1] = 0x20;
    battery[2] = 0x01;
    SealReceiverFrame(battery, 65);
    EXPECT_EQ(battery[32], 0x21);

    // A reused buffer: the old checksum at byte 32 is not summed again.
    battery[32] = 0x77;
    SealReceiverFrame(battery, 65);
    EXPECT_EQ(battery[32], 0x21);

    // Only the first `length` bytes count, and the sum wraps to 8 bits.
    ReceiverFrame frame{};
    frame[1] = 0x10;
    frame[4] = 0xF0;
    frame[20] = 0x30;
    frame[40] = 0x09;
    SealReceiverFrame(frame, 33);
    EXPECT_EQ(frame[32], (0x10 + 0xF0 + 0x30) & 0xFF);
    SealReceiverFrame(frame, 65);
    EXPECT_EQ(frame[32], (0x10 + 0xF0 + 0x30 + 0x09) & 0xFF);
}

TEST(ReportFramesTest, ProbeFrameAndAnswers) {
    const ReceiverFrame probe = BuildProbeFrame();
    for (size_t i = 0; i < probe.size(); ++i) {
        const int expected = i == 1 ? 0x02 : i == 32 ? 0x02 : 0;
        EXPECT_EQ(probe[i], expected) << i;
    }

    ReceiverFrame request{};
    request[1] = 0x10;
    request[2] = 0x1C;
    request[3] = 0x03;
    struct {
        std::vector<uint8_t> answer;
        bool echoes;
        bool probeAnswer;
    } const cases[] = {
        {{0x10, 0x1C, 0x03, 0x01}, true, false},
        {{0x10, 0x1C, 0x04}, false, false},
        {{0x00, 0x10, 0x1C, 0x03}, false, false},  // still led by a report id
        {{0x10, 0x1C}, false, false},              // too short to echo
        {{0x02, 0x00, 0x00, 0x64}, false, true},
        {{0x02, 0x01, 0x00}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnswerEchoes(c.answer, request), c.echoes);
        EXPECT_EQ(IsProbeAnswer(c.answer), c.probeAnswer);
    }
}

TEST(ReportFramesTest, CableReportsAndPackets) {
    std::vector<uint8_t> payload(64);
    std::iota(payload.begin(), payload.end(), 1);
    const CableReport report = BuildCableReport(payload);
    EXPECT_EQ(report[0], 0);
    EXPECT_EQ(report[1], 1);
    EXPECT_EQ(report[64], 64);

    const std::vector<uint8_t> shortPayload = {0x04, 0x18};
    const CableReport begin = BuildCableReport(shortPayload);
    EXPECT_EQ(begin[1], 0x04);
    EXPECT_EQ(begin[2], 0x18);
    EXPECT_EQ(std::accumulate(begin.begin() + 3, begin.end(), 0), 0);

    const std::pair<size_t, size_t> counts[] = {{576, 9}, {600, 9}, {64, 1}, {63, 0}, {128, 2}};
    for (const auto& [length, packets] : counts) {
        EXPECT_EQ(CablePacketCount(length), packets) << length;
    }

    std::vector<uint8_t> block(600);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>(i / 64);
    }
    const CableReport last = BuildCablePacket(block, 8);
    EXPECT_EQ(last[0], 0);
    EXPECT_EQ(last[1], 8);
    EXPECT_EQ(last[64], 8);
}

TEST(ReportFramesTest, WriteSequenceCommands) {
    // Report positions: payload byte k travels as report byte k + 1.
    const CableReport header = BuildCableReport(BuildHeaderCommand(0x17, 0x01, 1));
    EXPECT_EQ(header[1], 0x04);
    EXPECT_EQ(header[2], 0x17);
    EXPECT_EQ(header[3], 0x01);
    EXPECT_EQ(header[9], 0x01);
    EXPECT_EQ(std::accumulate(header.begin(), header.end(), 0), 0x04 + 0x17 + 0x01 + 0x01);
    // A screen image counts its units in two bytes, low byte first.
    const CableReport image = BuildCableReport(BuildHeaderCommand(0x72, 0x00, 300));
    EXPECT_EQ(image[9], 0x2C);
    EXPECT_EQ(image[10], 0x01);

    const struct {
        CablePayload payload;
        uint8_t command;
    } commands[] = {{BuildBeginCommand(), 0x18},
                    {BuildBeginCommand(true), 0x19},
                    {BuildEndCommand(), 0x02},
                    {BuildRefreshCommand(), 0xF0}};
    for (const auto& c : commands) {
        EXPECT_EQ(c.payload[0], 0x04);
        EXPECT_EQ(c.payload[1], c.command);
        EXPECT_EQ(std::accumulate(c.payload.begin(), c.payload.end(), 0), 0x04 + c.command);
    }

    std::vector<uint8_t> block(128, 0x11);
    SealBlock(block);
    EXPECT_EQ(block[125], 0x11);
    EXPECT_EQ(block[126], 0xAA);
    EXPECT_EQ(block[127], 0x55);
}

TEST(ReportFramesTest, BulkReport) {
    std::vector<uint8_t> block(4096);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>(i * 7);
    }
    const BulkReport report = BuildBulkReport(block);
    EXPECT_EQ(report[0], 0);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), report.begin() + 1));

    const BulkReport padded = BuildBulkReport(std::vector<uint8_t>(10, 0xFF));
    EXPECT_EQ(padded[10], 0xFF);
    EXPECT_EQ(padded[11], 0);
}

}  // namespace
}  // namespace zephyl
