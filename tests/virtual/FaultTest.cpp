// SPDX-License-Identifier: GPL-2.0-or-later
// Injected faults: what the host sees of each, and what the keyboard's memory keeps.

#include "VirtualTestSupport.h"

#include <thread>

namespace zephyl::test {
namespace {

constexpr const char* kNone = "none";

struct CountedFault {
    const char* fault;
    int value;
    const char* scenario;
    /// What each of the repeated exchanges gives: the read-back status as text on the cable,
    /// the answer's first byte in hex on the receiver, or kNone.
    std::vector<std::string> results;
};

class VirtualFaultTest : public VirtualFixture {
protected:
    /// One exchange: a confirmed begin on the cable, a battery query on the receiver.
    std::string Attempt(hid_device* device, bool receiver) {
        if (!receiver) {
            const int status = Confirmed(device, Report(65, {{1, 4}, {2, 0x18}}));
            return status < 0 ? kNone : std::to_string(status);
        }
        const Bytes frame = Frame({{1, 0x20}, {2, 0x01}});
        if (hid_write(device, frame.data(), frame.size()) != 33) {
            return kNone;
        }
        Bytes answer(64, 0);
        const int count = hid_read_timeout(device, answer.data(), answer.size(), 0);
        return count > 0 ? HexOf(Bytes(answer.begin(), answer.begin() + 1)) : kNone;
    }
};

TEST_F(VirtualFaultTest, CountedFaultsHitTheNextExchangesOnly) {
    const std::vector<CountedFault> cases = {
        {"busy", 2, "101:0", {"255", "255", "1"}},
        {"wrong_status", 1, "101:0", {"2", "1"}},
        // The set and the get are two reports: the keyboard goes after the get.
        {"unplug_after", 2, "101:0", {"1", kNone}},
        {"lost_answer", 1, "101:2", {kNone, "20"}},
        // A stray answer that does not echo comes first; the echo follows it.
        {"no_echo", 1, "101:2", {"a0", "20", "20"}},
        {"unplug_after", 1, "101:2", {kNone, kNone}},
    };
    for (const CountedFault& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " on " + c.scenario);
        Load(c.scenario);
        const bool receiver = std::string(c.scenario).ends_with(":2");
        hid_device* device = OpenCable(receiver ? 0x5A12 : 0x5A10);
        ASSERT_EQ(zephyl_virtual_inject_fault(c.fault, c.value), 0);
        std::vector<std::string> results;
        for (std::size_t i = 0; i < c.results.size(); ++i) {
            results.push_back(Attempt(device, receiver));
        }
        EXPECT_EQ(results, c.results);
    }
}

TEST_F(VirtualFaultTest, BusyReportsAreNotTakenWrongStatusReportsAre) {
    Load("101:0");
    hid_device* cable = OpenCable(0x5A10);
    const Bytes settings = Report(64, {{6, 2}, {62, 0xAA}, {63, 0x55}});
    ASSERT_EQ(zephyl_virtual_inject_fault("busy", 1), 0);
    EXPECT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 0xFF);
    // The begin was not taken, so the header is out of sequence.
    EXPECT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x17}, {3, 1}, {9, 1}})), 0);

    ASSERT_EQ(zephyl_virtual_inject_fault("wrong_status", 1), 0);
    EXPECT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 2);
    EXPECT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x17}, {3, 1}, {9, 1}})), 1);
    ASSERT_TRUE(SendBlock(cable, settings));
    EXPECT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x02}})), 1);
    EXPECT_EQ(Memory(101, "settings.1"), HexOf(settings));
    EXPECT_EQ(Memory(101, "counters.busy_answers"), "1");
}

TEST_F(VirtualFaultTest, UnplugInTheMiddleOfABlockKeepsTheOldMemory) {
    Load("101:0");
    hid_device* cable = OpenCable(0x5A10);
    Bytes table = Report(576, {{0, 0x02}, {2, 0x04}, {574, 0xAA}, {575, 0x55}});
    ASSERT_EQ(zephyl_virtual_inject_fault("unplug_in_block", 4), 0);
    ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 1);
    ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x11}, {9, 9}})), 1);
    EXPECT_FALSE(SendBlock(cable, table));
    EXPECT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x02}})), -1);
    EXPECT_EQ(Memory(101, "key_tables.0"), HexOf(Bytes(576, 0)));
    EXPECT_EQ(At("status.101.plugged"), "[]");

    // Plugged in again, the keyboard starts from a clean sequence and takes the table.
    ASSERT_EQ(zephyl_virtual_set_plugged(101, 0, 1), 0);
    cable = OpenCable(0x5A10);
    ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 1);
    ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x11}, {9, 9}})), 1);
    ASSERT_TRUE(SendBlock(cable, table));
    ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x02}})), 1);
    EXPECT_EQ(Memory(101, "key_tables.0"), HexOf(table));
}

TEST_F(VirtualFaultTest, SlowAnswersArriveLate) {
    Load("101:0,2");
    hid_device* receiver = OpenCable(0x5A12);
    hid_device* cable = OpenCable(0x5A10);
    ASSERT_EQ(zephyl_virtual_inject_fault("slow", 40), 0);
    const Bytes frame = Frame({{1, 0x20}, {2, 0x01}});
    ASSERT_EQ(hid_write(receiver, frame.data(), frame.size()), 33);
    Bytes answer(64, 0);
    EXPECT_EQ(hid_read_timeout(receiver, answer.data(), answer.size(), 0), 0);
    EXPECT_EQ(hid_read_timeout(receiver, answer.data(), answer.size(), 5000), 32);
    // A read-back still answers, only later.
    EXPECT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 1);
    ASSERT_EQ(zephyl_virtual_inject_fault("slow", 0), 0);
    EXPECT_EQ(zephyl_virtual_inject_fault("sticky_keys", 1), -1);
    EXPECT_EQ(zephyl_virtual_inject_fault("busy", -1), -1);
}

TEST_F(VirtualFaultTest, ReadWaitingForAnAnswerEndsWhenTheKeyboardGoes) {
    Load("101:2");
    hid_device* receiver = OpenCable(0x5A12);
    std::thread unplug([] { zephyl_virtual_set_plugged(101, 2, 0); });
    Bytes answer(64, 0);
    // Blocks until the unplug, then fails: never hangs.
    EXPECT_EQ(hid_read_timeout(receiver, answer.data(), answer.size(), -1), -1);
    unplug.join();
}

}  // namespace
}  // namespace zephyl::test
