// SPDX-License-Identifier: GPL-2.0-or-later
// When a capture without a sound server connects again.
#include "lighting/CaptureRetry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace zephyl {
namespace {

struct Step {
    std::int64_t at;
    CaptureState state;
    bool due;
};

struct RetryCase {
    const char* name;
    std::vector<Step> steps;
};

class CaptureRetryTest : public ::testing::TestWithParam<RetryCase> {};

TEST_P(CaptureRetryTest, AttemptsComeWhenDue) {
    CaptureRetry retry;
    for (const Step& step : GetParam().steps) {
        EXPECT_EQ(retry.Due(step.state, step.at), step.due)
            << GetParam().name << " at " << step.at << " ms";
    }
}

constexpr auto kNone = CaptureState::kNoServer;
constexpr auto kEnded = CaptureState::kEnded;
constexpr auto kUp = CaptureState::kCapturing;
constexpr auto kConnecting = CaptureState::kConnecting;
constexpr auto kStopped = CaptureState::kStopped;

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptureRetryTest,
    ::testing::Values(
        // Each failed attempt waits twice as long as the one before, up to the longest wait.
        RetryCase{"back-off",
                  {{0, kNone, false},
                   {499, kNone, false},
                   {500, kNone, true},
                   {501, kNone, false},
                   {1500, kNone, false},
                   {1501, kNone, true},
                   {1502, kNone, false},
                   {3501, kNone, false},
                   {3502, kNone, true},
                   {3503, kNone, false},
                   {7503, kNone, true},
                   {7504, kNone, false},
                   {15504, kNone, true},
                   {15505, kNone, false},
                   {23504, kNone, false},
                   {23505, kNone, true}}},
        // A server that answered, then went away, is looked for soon again.
        RetryCase{"found, then lost",
                  {{0, kNone, false},
                   {500, kNone, true},
                   {510, kConnecting, false},
                   {600, kUp, false},
                   {90000, kUp, false},
                   {90001, kEnded, false},
                   {90501, kEnded, true}}},
        // A running or a stopped capture is never restarted.
        RetryCase{"working or stopped",
                  {{0, kUp, false},
                   {100000, kUp, false},
                   {100001, kStopped, false},
                   {200000, kStopped, false},
                   {200001, kConnecting, false},
                   {300000, kConnecting, false}}}),
    [](const ::testing::TestParamInfo<RetryCase>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(CaptureRetryResetTest, AResetMakesTheNextFailureComeSoonAgain) {
    CaptureRetry retry;
    std::int64_t now = 0;
    for (int attempt = 0; attempt < 6; ++attempt) {
        retry.Due(CaptureState::kNoServer, now);
        now += CaptureRetry::kLongestDelayMs;
        retry.Due(CaptureState::kNoServer, now);
    }
    ASSERT_EQ(retry.DelayMs(), CaptureRetry::kLongestDelayMs);
    retry.Reset();
    EXPECT_FALSE(retry.Due(CaptureState::kNoServer, now));
    EXPECT_TRUE(retry.Due(CaptureState::kNoServer, now + CaptureRetry::kFirstDelayMs));
}

}  // namespace
}  // namespace zephyl
