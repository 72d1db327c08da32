// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/DeviceManager.h"

#include "FakeHid.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace zephyl {
namespace {

using test::BulkInterface;
using test::CableInterface;
using test::FakeHid;
using test::ReceiverInterface;

/// One model (101) on the cable with a bulk interface, or behind a receiver.
struct Transport {
    FakeHid hid;
    DeviceManager manager{HidLibrary::FromTable(FakeHid::Table()), hid.Clock()};

    explicit Transport(bool receiver = false) {
        manager.AddKnownDevice(0x1209, 0x5A10, "", 101, kModeCable);
        manager.AddKnownDevice(0x1209, 0x5A12, "", 101, kModeReceiver);
        if (receiver) {
            hid.Add(ReceiverInterface(0x5A12, "receiver"));
        } else {
            hid.Add(CableInterface(0x5A10, "cable"));
            hid.Add(BulkInterface(0x5A10, "bulk"));
        }
        Reopen();
    }
    void Reopen() {
        manager.Reopen();
        manager.SetSelectedDeviceType(101);
        hid.Clock()->m_sleeps.clear();
    }
    uint64_t Now() const { return hid.Clock()->NowMs(); }
};

std::vector<uint8_t> Payload(uint8_t command, uint8_t byte3 = 0) {
    std::vector<uint8_t> payload(64, 0);
    payload[0] = 0x04;
    payload[1] = command;
    payload[3] = byte3;
    return payload;
}

TEST(TransportTest, ConfirmedReportSucceedsOnlyOnStatusOne) {
    const struct {
        std::vector<uint8_t> statuses;
        bool plain;  // SendFeature
        bool timed;  // SendFeatureTimed
        size_t timedSends;
    } cases[] = {
        {{0x01}, true, true, 1},         {{0x00}, false, false, 1},       {{0x02}, false, false, 1},
        {{0xFF, 0x01}, false, true, 2},  // busy: only the timed form sends again
        {{0xFF, 0xFF}, false, false, 2}, {{0xFF, 0x00}, false, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.statuses));
        {
            Transport t;
            t.hid.m_statuses.assign(c.statuses.begin(), c.statuses.end());
            EXPECT_EQ(t.manager.SendFeature(Payload(0x18), true), c.plain);
            EXPECT_EQ(t.hid.Ops("set_feature").size(), 1u);
            ASSERT_EQ(t.hid.Ops("get_feature").size(), 1u);
            EXPECT_EQ(t.hid.Ops("get_feature")[0].bytes.size(), 64u);  // buffer length = length
            EXPECT_EQ(t.hid.Clock()->m_sleeps, (std::vector<int>{10, 10}));
            EXPECT_FALSE(t.manager.Busy());
        }
        {
            Transport t;
            t.hid.m_statuses.assign(c.statuses.begin(), c.statuses.end());
            EXPECT_EQ(t.manager.SendFeatureTimed(Payload(0x20, 0x08)), c.timed);
            const auto sends = t.hid.Ops("set_feature");
            ASSERT_EQ(sends.size(), c.timedSends);
            // A resend repeats the request, not the status report that came back.
            EXPECT_EQ(sends.back().bytes, sends.front().bytes);
            EXPECT_EQ(sends.back().bytes[2], 0x20);
        }
    }
}

TEST(TransportTest, FailedReadBackIsNotSuccess) {
    // The request's own byte 4 is 1: a read-back that never happened must not look accepted.
    Transport t;
    t.hid.m_failFeatureReads = 1;
    EXPECT_FALSE(t.manager.SendFeature(Payload(0x05, 0x01), true));
    t.hid.m_failFeatureReads = 1;
    EXPECT_FALSE(t.manager.SendFeatureTimed(Payload(0x05, 0x01)));
}

TEST(TransportTest, UnconfirmedReportAndPacing) {
    Transport t;
    t.manager.SetPacingDelay(3);
    EXPECT_TRUE(t.manager.SendFeature(Payload(0xF0), false));
    EXPECT_TRUE(t.hid.Ops("get_feature").empty());
    const auto sends = t.hid.Ops("set_feature");
    ASSERT_EQ(sends.size(), 1u);
    const auto& report = sends[0].bytes;
    ASSERT_EQ(report.size(), 65u);
    EXPECT_EQ(report[0], 0);
    EXPECT_EQ(report[1], 0x04);
    EXPECT_EQ(report[2], 0xF0);
    EXPECT_EQ(t.hid.Clock()->m_sleeps, (std::vector<int>{3}));
}

TEST(TransportTest, BlocksTravelInWholePackets) {
    for (size_t length : {576u, 600u, 128u}) {
        SCOPED_TRACE(length);
        Transport t;
        std::vector<uint8_t> block(length);
        std::iota(block.begin(), block.end(), 0);
        EXPECT_TRUE(t.manager.SendFeature(block, true));  // confirmation ignored for blocks
        const auto sends = t.hid.Ops("set_feature");
        ASSERT_EQ(sends.size(), length / 64);
        EXPECT_TRUE(t.hid.Ops("get_feature").empty());
        for (size_t i = 0; i < sends.size(); ++i) {
            ASSERT_EQ(sends[i].bytes.size(), 65u);
            EXPECT_EQ(sends[i].bytes[0], 0);
            EXPECT_TRUE(std::equal(sends[i].bytes.begin() + 1, sends[i].bytes.end(),
                                   block.begin() + static_cast<long>(i * 64)));
        }
        // One pause before the block, one after each packet.
        EXPECT_EQ(t.hid.Clock()->m_sleeps.size(), length / 64 + 1);
    }
}

TEST(TransportTest, CableBlockSequenceGoesOnPastARefusedStep) {
    // Each confirmed step refused in turn: begin, header, end, refresh.
    for (size_t refused = 0; refused < 4; ++refused) {
        SCOPED_TRACE(refused);
        Transport t;
        t.hid.m_statuses.assign(4, 0x01);
        t.hid.m_statuses[refused] = 0x00;
        std::vector<int> pauses;
        CableBlockOptions options;
        options.macroBegin = true;
        options.refresh = CableBlockOptions::Refresh::kConfirmed;
        options.pauseBeforeBlock = 30;
        options.pauseAfterBlock = 30;
        options.pause = [&pauses](int ms) { pauses.push_back(ms); };
        std::vector<uint8_t> block(128, 0x11);
        EXPECT_FALSE(t.manager.SendCableBlock(0x15, 0x02, block, options));
        const auto sends = t.hid.Ops("set_feature");
        ASSERT_EQ(sends.size(), 2u + 2u + 2u);  // nothing was left out
        const std::pair<uint8_t, uint8_t> commands[] = {{0x04, 0x19}, {0x04, 0x15}, {0x11, 0x11},
                                                        {0x11, 0x11}, {0x04, 0x02}, {0x04, 0xF0}};
        for (size_t i = 0; i < sends.size(); ++i) {
            EXPECT_EQ(sends[i].bytes[1], commands[i].first) << i;
            EXPECT_EQ(sends[i].bytes[2], commands[i].second) << i;
        }
        EXPECT_EQ(sends[1].bytes[3], 0x02);  // the argument
        EXPECT_EQ(sends[1].bytes[9], 2);     // the packet count
        EXPECT_EQ(t.hid.Ops("get_feature").size(), 4u);
        EXPECT_EQ(pauses, (std::vector<int>{30, 30}));
    }
    // Every step accepted; an unconfirmed refresh is not read back, and no refresh is optional.
    Transport t;
    CableBlockOptions options;
    options.refresh = CableBlockOptions::Refresh::kUnconfirmed;
    EXPECT_TRUE(t.manager.SendCableBlock(0x13, 0, std::vector<uint8_t>(64), options));
    EXPECT_EQ(t.hid.Ops("set_feature").size(), 5u);
    EXPECT_EQ(t.hid.Ops("set_feature")[0].bytes[2], 0x18);
    EXPECT_EQ(t.hid.Ops("get_feature").size(), 3u);
    EXPECT_TRUE(t.manager.SendCableBlock(0x17, 1, std::vector<uint8_t>(64)));
    EXPECT_EQ(t.hid.Ops("set_feature").size(), 9u);
}

TEST(TransportTest, ReceiverFramesGoOnPastAnUnansweredOne) {
    Transport t(true);
    t.hid.m_lostAnswers = 1;
    std::vector<ReceiverFrame> frames(3);
    for (size_t i = 0; i < frames.size(); ++i) {
        frames[i][1] = 0x09;
        frames[i][3] = static_cast<uint8_t>(i);
    }
    std::vector<int> pauses;
    const size_t writesBefore = t.hid.Ops("write").size();  // the handshake
    EXPECT_FALSE(
        t.manager.SendReceiverFrames(frames, 2, [&pauses](int ms) { pauses.push_back(ms); }));
    const auto writes = t.hid.Ops("write");
    ASSERT_EQ(writes.size(), writesBefore + 3);
    EXPECT_EQ(writes.back().bytes[3], 2);
    EXPECT_EQ(pauses, (std::vector<int>{2, 2}));
    EXPECT_TRUE(t.manager.SendReceiverFrames(frames));
}

TEST(TransportTest, ReceiverFramesStopWhereTheKeyboardIsGone) {
    Transport t(true);
    std::vector<ReceiverFrame> frames(3);
    for (ReceiverFrame& frame : frames) {
        frame[1] = 0x09;
    }
    t.hid.Unplug();
    std::vector<int> pauses;
    EXPECT_FALSE(
        t.manager.SendReceiverFrames(frames, 2, [&pauses](int ms) { pauses.push_back(ms); }));
    EXPECT_TRUE(pauses.empty());  // no frame after the first that could not be written
}

/// A screen-like transfer of `count` numbered frames; `beforeWrite(i)` runs as frame i is made.
ReceiverTransferResult Sequence(Transport& t, size_t count,
                                const std::function<void(size_t)>& beforeWrite = nullptr,
                                const TransferPause& pause = nullptr) {
    const auto frameAt = [&beforeWrite](size_t i) {
        if (beforeWrite) {
            beforeWrite(i);
        }
        ReceiverFrame frame{};
        frame[1] = 0x80;
        frame[2] = static_cast<uint8_t>(i);
        frame[3] = static_cast<uint8_t>(i >> 8);
        return frame;
    };
    return t.manager.SendReceiverSequence(count, frameAt, 2, pause);
}

TEST(TransportTest, ReceiverSequenceEndsWhereItCannotGoOn) {
    const struct {
        const char* name;
        int lostAnswers;
        size_t unplugAt;  // frame made after the unplug; 0 for none
        size_t sent;
        bool complete;
        bool unreachable;
    } cases[] = {
        {"every frame answered", 0, 0, 200, true, false},
        {"a single lost answer does not end it", 1, 0, 200, false, false},
        {"two lost answers in a row do not either", 2, 0, 200, false, false},
        {"the keyboard stopped answering", 1000, 0, ReceiverTransferBudget::kMissesInARow, false,
         false},
        {"the keyboard was unplugged after 3 frames", 0, 3, 3, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transport t(true);
        t.hid.m_lostAnswers = c.lostAnswers;
        const size_t writesBefore = t.hid.Ops("write").size();
        const ReceiverTransferResult result = Sequence(t, 200, [&](size_t i) {
            if (c.unplugAt != 0 && i == c.unplugAt) {
                t.hid.Unplug();
            }
        });
        EXPECT_EQ(t.hid.Ops("write").size() - writesBefore, c.sent);
        EXPECT_EQ(result.sent, c.sent);
        EXPECT_EQ(result.complete, c.complete);
        EXPECT_EQ(result.unreachable, c.unreachable);
    }
}

TEST(TransportTest, ReceiverSequenceIsBoundedByItsSize) {
    // Every frame answered, but each costs the time of its pause on top of the 5 ms answer wait.
    const struct {
        uint64_t pauseMs;
        size_t sent;
    } cases[] = {
        {50, 100},  // 100 x 55 ms stays within 2000 + 100 x 50 ms
        {200, 35},  // 35 x 205 ms is the first count past 7000 ms
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pauseMs);
        Transport t(true);
        const auto clock = t.hid.Clock();
        const ReceiverTransferResult result =
            Sequence(t, 100, nullptr, [&](int) { clock->Advance(c.pauseMs); });
        EXPECT_EQ(result.sent, c.sent);
        EXPECT_EQ(result.complete, c.sent == 100);
        EXPECT_FALSE(result.unreachable);
    }
}

TEST(TransportTest, PacketRetries) {
    const struct {
        int failures;
        bool ok;
    } cases[] = {{10, true}, {11, false}, {3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        Transport t;
        t.hid.m_failSends = c.failures;
        std::vector<uint8_t> block(576, 0x22);
        EXPECT_EQ(t.manager.SendFeature(block, false), c.ok);
        // Failed sends are not logged by the fake; a failed packet ends the block.
        EXPECT_EQ(t.hid.Ops("set_feature").size(), c.ok ? 9u : 0u);
        const size_t pauses = 1 + 1 + static_cast<size_t>(std::min(c.failures, 10));
        if (!c.ok) {
            EXPECT_EQ(t.hid.Clock()->m_sleeps.size(), pauses);
        }
    }
}

TEST(TransportTest, UnplugInTheMiddleOfABlock) {
    Transport t;
    t.hid.m_unplugAfterSends = 4;
    std::vector<uint8_t> block(576, 0x33);
    EXPECT_FALSE(t.manager.SendFeature(block, false));
    EXPECT_EQ(t.hid.Ops("set_feature").size(), 4u);
    EXPECT_FALSE(t.manager.Busy());
    // Single reports on the stale handle fail at once.
    EXPECT_FALSE(t.manager.SendFeature(Payload(0x02), true));
    EXPECT_FALSE(t.manager.SendBulk(std::vector<uint8_t>(4096)));

    // The removal's refresh finds nothing; the arrival's refresh recovers.
    t.Reopen();
    EXPECT_EQ(t.manager.CurrentConnectionMode(), kModeNone);
    EXPECT_FALSE(t.manager.SendFeature(block, false));
    t.hid.Replug();
    t.Reopen();
    EXPECT_EQ(t.manager.CurrentConnectionMode(), kModeCable);
    EXPECT_TRUE(t.manager.SendFeature(block, false));
}

TEST(TransportTest, TimedBlockKeepsToItsBudget) {
    const struct {
        uint64_t sendCost;
        bool ok;
    } cases[] = {{0, true}, {10, true}, {12, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sendCost);
        Transport t;
        t.hid.m_sendCostMs = c.sendCost;
        std::vector<uint8_t> frame(512, 0x44);
        EXPECT_EQ(t.manager.SendFeatureTimed(frame), c.ok);
        if (c.ok) {
            EXPECT_EQ(t.hid.Ops("set_feature").size(), 8u);
            EXPECT_EQ(t.hid.Clock()->m_sleeps, std::vector<int>(8, 2));
        }
    }
}

TEST(TransportTest, ReadBlocks) {
    {
        Transport t;
        std::vector<uint8_t> buffer(576, 0);
        buffer[0] = 0x04;
        buffer[1] = 0xF5;
        buffer[8] = 9;
        ASSERT_TRUE(t.manager.ReadBlocks(buffer));
        const auto sends = t.hid.Ops("set_feature");
        ASSERT_EQ(sends.size(), 1u);
        EXPECT_EQ(sends[0].bytes[2], 0xF5);
        EXPECT_EQ(sends[0].bytes[9], 9);
        EXPECT_EQ(t.hid.Ops("get_feature").size(), 10u);  // status, then nine blocks
        for (size_t i = 0; i < 9; ++i) {
            EXPECT_EQ(buffer[i * 64], i + 1) << i;
            EXPECT_EQ(buffer[i * 64 + 63], i + 1) << i;
        }
    }

    const struct {
        const char* name;
        std::deque<uint8_t> statuses;
        int failReads;
        uint64_t readCost;
        size_t bufferSize;
        bool ok;
    } cases[] = {
        {"refused status", {0x00}, 0, 0, 576, false},
        {"status read retried", {}, 3, 0, 576, true},
        {"status never read", {}, 11, 0, 576, false},
        {"a block read over 360 ms", {}, 0, 361, 576, false},
        {"a block read of 360 ms", {}, 0, 360, 576, true},
        {"buffer too small", {}, 0, 0, 575, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transport u;
        u.hid.m_statuses = c.statuses;
        u.hid.m_failFeatureReads = c.failReads;
        u.hid.m_featureReadCostMs = c.readCost;
        std::vector<uint8_t> b(c.bufferSize, 0);
        b[0] = 0x04;
        b[1] = 0xF5;
        EXPECT_EQ(u.manager.ReadBlocks(b), c.ok);
        EXPECT_FALSE(u.manager.Busy());
    }
}

TEST(TransportTest, QueryMatchesTheEcho) {
    Transport t(true);
    t.hid.m_replyByte = 0x64;
    ReceiverFrame frame{};
    frame[1] = 0x20;
    frame[2] = 0x01;
    ASSERT_TRUE(t.manager.Query(frame, 65));
    const auto writes = t.hid.Ops("write");
    ASSERT_EQ(writes.size(), 2u);  // the handshake of the refresh, then the query
    ASSERT_EQ(writes[1].bytes.size(), 33u);
    EXPECT_EQ(writes[1].bytes[0], 0);
    EXPECT_EQ(writes[1].bytes[1], 0x20);
    EXPECT_EQ(writes[1].bytes[2], 0x01);
    EXPECT_EQ(writes[1].bytes[32], 0x21);
    // The answer from position 0: echo of command, length and index, then the reply.
    EXPECT_EQ(frame[0], 0x20);
    EXPECT_EQ(frame[1], 0x01);
    EXPECT_EQ(frame[2], 0x00);
    EXPECT_EQ(frame[3], 0x64);
    EXPECT_EQ(frame[31], 0xEE);
    EXPECT_EQ(frame[32], 0x21);  // past the answer: left as it was
}

TEST(TransportTest, QueryAnswerRules) {
    const struct {
        const char* name;
        int lostAnswers;
        int strayAnswers;
        int failWrites;
        bool ok;
        size_t reads;
        size_t writes;
        uint64_t elapsed;
    } cases[] = {
        {"answered at once", 0, 0, 0, true, 1, 1, 5},
        // A stray answer was a report read: the next read follows at once.
        {"stray answers are skipped", 0, 2, 0, true, 3, 1, 5},
        {"lost answer: 20 reads, then failure", 1, 0, 0, false, 20, 1, 5 + 20 * (5 + 10)},
        {"one failed write is retried", 0, 0, 1, true, 1, 1, 10 + 5},
        {"two failed writes give up", 0, 0, 2, false, 0, 0, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transport t(true);
        t.hid.m_lostAnswers = c.lostAnswers;
        t.hid.m_nonEchoBeforeAnswer = c.strayAnswers;
        t.hid.m_failWrites = c.failWrites;
        const size_t readsBefore = t.hid.Ops("read").size();
        const size_t writesBefore = t.hid.Ops("write").size();
        const uint64_t start = t.Now();
        ReceiverFrame frame{};
        frame[1] = 0x07;
        frame[2] = 0x10;
        EXPECT_EQ(t.manager.Query(frame, 65), c.ok);
        EXPECT_EQ(t.hid.Ops("read").size() - readsBefore, c.reads);
        EXPECT_EQ(t.hid.Ops("write").size() - writesBefore, c.writes);
        EXPECT_EQ(t.Now() - start, c.elapsed);
        if (c.ok) {
            EXPECT_EQ(frame[0], 0x07);
        }
    }
}

TEST(TransportTest, ReportedIdByteIsDroppedInOnePlace) {
    // A library handing unnumbered input reports over with their id byte in front.
    static std::vector<uint8_t> s_report;
    HidApi api = FakeHid::Table();
    api.read_timeout = [](hid_device*, unsigned char* data, size_t length, int) {
        const size_t count = std::min(length, s_report.size());
        std::copy_n(s_report.begin(), count, data);
        return static_cast<int>(count);
    };
    api.get_feature_report = [](hid_device*, unsigned char* data, size_t length) {
        std::fill_n(data, length, 0);
        return static_cast<int>(length);
    };
    FakeHid hid;
    auto library = HidLibrary::FromTable(api);
    auto* device = reinterpret_cast<hid_device*>(&hid);  // never dereferenced by these stubs

    s_report.assign(33, 0);
    s_report[1] = 0x20;
    s_report[4] = 0x55;
    std::vector<uint8_t> buffer(65, 0xCC);
    EXPECT_EQ(library->ReadTimeout(device, buffer, 5, 33), 32);
    EXPECT_EQ(buffer[0], 0x20);
    EXPECT_EQ(buffer[3], 0x55);
    EXPECT_EQ(buffer[32], 0xCC);  // the byte after the data keeps what the caller had there

    s_report.assign(32, 0);  // hidraw's own form: nothing to drop
    s_report[0] = 0x00;
    s_report[1] = 0x20;
    std::fill(buffer.begin(), buffer.end(), 0xCC);
    EXPECT_EQ(library->ReadTimeout(device, buffer, 5, 33), 32);
    EXPECT_EQ(buffer[1], 0x20);

    s_report.assign(65, 0);  // a numbered report keeps its id
    s_report[0] = 0x05;
    EXPECT_EQ(library->ReadTimeout(device, buffer, 5, 65), 65);
    EXPECT_EQ(buffer[0], 0x05);

    std::vector<uint8_t> report(65);
    EXPECT_EQ(library->GetFeatureReport(device, report), 64);  // data bytes only
}

TEST(TransportTest, BulkBlock) {
    Transport t;
    std::vector<uint8_t> block(4096);
    std::iota(block.begin(), block.end(), 0);
    // The bulk interface is chosen together with the command interface.
    EXPECT_FALSE(t.manager.SendBulk(block));
    EXPECT_TRUE(t.manager.SendFeature(BuildBeginCommand(), true));
    EXPECT_TRUE(t.manager.SendBulk(block));
    const auto writes = t.hid.Ops("write");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].path, "bulk");
    ASSERT_EQ(writes[0].bytes.size(), 4097u);
    EXPECT_EQ(writes[0].bytes[0], 0);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), writes[0].bytes.begin() + 1));
    EXPECT_EQ(t.hid.Ops("read").back().path, "bulk");  // the answer is waited for
}

TEST(TransportTest, NothingLeavesWhileDisabled) {
    Transport t(true);
    t.manager.SetEnabled(false);
    const size_t writes = t.hid.Ops("write").size();
    ReceiverFrame frame{};
    frame[1] = 0x20;
    std::vector<uint8_t> buffer(576);
    EXPECT_FALSE(t.manager.Query(frame));
    EXPECT_FALSE(t.manager.SendFeature(Payload(0x18), true));
    EXPECT_FALSE(t.manager.SendFeatureTimed(Payload(0x18)));
    EXPECT_FALSE(t.manager.ReadBlocks(buffer));
    EXPECT_FALSE(t.manager.SendBulk(buffer));
    EXPECT_EQ(t.hid.Ops("write").size(), writes);
    EXPECT_TRUE(t.hid.Ops("set_feature").empty());
}

}  // namespace
}  // namespace zephyl
