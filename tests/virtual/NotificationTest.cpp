// SPDX-License-Identifier: GPL-2.0-or-later
// Unsolicited reports on the notification interface: host-action keys and raw notices.

#include "VirtualTestSupport.h"

#include <thread>

namespace zephyl::test {
namespace {

constexpr int kKeyA = 0x04;  // key_index 69 in the K100 layout
constexpr int kKeyB = 0x05;  // key_index 95

class VirtualNotificationTest : public VirtualFixture {
protected:
    /// Writes a key table over the cable in one write sequence.
    void WriteKeyTable(hid_device* cable, int layer, const Bytes& table) {
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 1);
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, layer == 0 ? 0x11 : 0x27}, {9, 9}})), 1);
        ASSERT_TRUE(SendBlock(cable, table));
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x02}})), 1);
    }

    std::string ReadNotice(hid_device* notices) {
        Bytes report(65, 0);
        const int count = hid_read_timeout(notices, report.data(), report.size(), 0);
        return count > 0 ? HexOf(Bytes(report.begin(), report.begin() + 4)) : "none";
    }
};

TEST_F(VirtualNotificationTest, KeysAssignedToHostActionsReportTheirNumber) {
    Load("101:0");
    hid_device* cable = OpenCable(0x5A10);
    hid_device* notices = OpenNotification(0x5A10);
    // Key A runs host action 7 on the base layer; key B does it only on the Fn layer; slot
    // 95 on the base layer holds an ordinary key.
    WriteKeyTable(cable, 0,
                  Report(576, {{4 * 69, 0x05},
                               {4 * 69 + 1, 0x02},
                               {4 * 69 + 2, 7},
                               {4 * 95, 0x02},
                               {4 * 95 + 2, 0x05},
                               {574, 0xAA},
                               {575, 0x55}}));
    WriteKeyTable(
        cable, 1,
        Report(576,
               {{4 * 95, 0x05}, {4 * 95 + 1, 0x02}, {4 * 95 + 2, 200}, {574, 0xAA}, {575, 0x55}}));

    struct Press {
        int key;
        int layer;
        int result;
        std::string notice;
    };
    const std::vector<Press> presses = {
        {kKeyA, 0, 1, "05010700"}, {kKeyB, 0, 0, "none"},  {kKeyB, 1, 1, "0501c800"},
        {kKeyA, 1, 0, "none"},     {0x3A3A, 0, 0, "none"}, {kKeyA, 2, 0, "none"},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(std::to_string(press.key) + " on layer " + std::to_string(press.layer));
        EXPECT_EQ(zephyl_virtual_press_key(101, press.key, press.layer), press.result);
        EXPECT_EQ(ReadNotice(notices), press.notice);
    }
}

TEST_F(VirtualNotificationTest, RawNoticesNeedAnOpenNotificationInterface) {
    Load("101:0");
    const Bytes notice = {0xA6, 0xFF, 0x01};
    EXPECT_EQ(zephyl_virtual_queue_notification(notice.data(), notice.size()), -1);
    hid_device* notices = OpenNotification(0x5A10);
    EXPECT_EQ(zephyl_virtual_queue_notification(notice.data(), notice.size()), 0);
    EXPECT_EQ(zephyl_virtual_queue_notification(Bytes(65, 0).data(), 65), -1);
    Bytes report(65, 0);
    ASSERT_EQ(hid_read_timeout(notices, report.data(), report.size(), 0), 65);
    EXPECT_EQ(HexOf(report), "05a6ff01" + std::string(122, '0'));
}

TEST_F(VirtualNotificationTest, BlockedReaderWakesForANoticeFromAnotherThread) {
    Load("101:2");
    hid_device* notices = OpenNotification(0x5A12);
    std::thread sender([] {
        // Sleep or not, the reader must see the notice; no timing is asserted.
        zephyl_virtual_set_asleep(101, 1);
    });
    Bytes report(65, 0);
    EXPECT_EQ(hid_read_timeout(notices, report.data(), report.size(), -1), 65);
    sender.join();
    EXPECT_EQ(HexOf(Bytes(report.begin(), report.begin() + 4)), "05a6fe02");
}

TEST_F(VirtualNotificationTest, CableConnectionSaysNothingAboutSleep) {
    Load("101:0,2");
    hid_device* cableNotices = OpenNotification(0x5A10);
    hid_device* receiverNotices = OpenNotification(0x5A12);
    ASSERT_EQ(zephyl_virtual_set_asleep(101, 1), 0);
    EXPECT_EQ(ReadNotice(cableNotices), "none");
    EXPECT_EQ(ReadNotice(receiverNotices), "05a6fe02");
}

}  // namespace
}  // namespace zephyl::test
