// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/StatusReports.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace zephyl {
namespace {

TEST(BatteryAnswerTest, QueryFrame) {
    ReceiverFrame query = BuildBatteryQuery();
    SealReceiverFrame(query, kReceiverFrameLength);
    for (size_t i = 0; i < query.size(); ++i) {
        const int expected = i == 1 ? 0x20 : i == 2 ? 0x01 : i == 32 ? 0x21 : 0;
        EXPECT_EQ(query[i], expected) << i;
    }
}

TEST(BatteryAnswerTest, Table) {
    struct Case {
        std::vector<std::uint8_t> answer;
        std::optional<int> level;
    };
    const Case cases[] = {
        {{0x20, 0x01, 0x00, 57}, 57},
        {{0x20, 0x01, 0x00, 0xC8}, 100},           // 200 shows as 100
        {{0x20, 0x01, 0x00, 0x00}, std::nullopt},  // no level: keep the one shown
        {{0x21, 0x01, 0x00, 57}, std::nullopt},    // not an answer to the query
        {{0x20, 0x01}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BatteryLevelFromAnswer(c.answer), c.level);
    }
}

TEST(NotificationTest, Table) {
    using Kind = Notification::Kind;
    struct Case {
        std::vector<std::uint8_t> report;
        Kind kind;
        int action;
    };
    const Case cases[] = {
        {{0x05, 0xA6, 0xFF, 0x01}, Kind::kAwake, 0},
        {{0x05, 0xA6, 0xFE, 0x02}, Kind::kAsleep, 0},
        {{0x05, 0xA6, 0x07, 0x00}, Kind::kNone, 0},  // a garbled notice runs no action
        {{0x05, 0x01, 0x07, 0x00}, Kind::kHostAction, 7},
        {{0x00, 0x01, 0x07, 0x00}, Kind::kNone, 0},  // nothing read
        {{0x04, 0x01, 0x07, 0x00}, Kind::kNone, 0},  // another report id
    };
    for (const auto& c : cases) {
        const auto notification = ParseNotification(c.report);
        EXPECT_EQ(notification.kind, c.kind);
        EXPECT_EQ(notification.action, c.action);
    }
}

}  // namespace
}  // namespace zephyl
