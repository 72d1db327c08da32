// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyEventTranslator.h"
#include "keys/MacroRecorder.h"

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

namespace zephyl {
namespace {

/// Feeds Linux key events through the translator into the capture, as the window's grab does.
struct Keyboard {
    MacroKeyCapture capture;
    KeyEventTranslator translator{true};
    std::int64_t now = 100000;

    CaptureResult Send(int code, int value, std::int64_t after = 0) {
        now += after;
        const auto event = translator.Translate(code, value, now);
        EXPECT_TRUE(event.has_value()) << code;
        return capture.OnHookKeyEvent(*event);
    }
    void Tap(int code, std::int64_t after = 0) {
        Send(code, 1, after);
        Send(code, 0);
    }
    void Start(int delayMode = kDelayRecorded, const std::string& pause = "10") {
        ASSERT_TRUE(capture.StartRecording(650, delayMode, pause).started);
    }
};

struct Row {
    int type;
    int value;
    int delay;
};

void ExpectRows(const MacroKeyCapture& capture, const std::vector<Row>& expected) {
    const auto& rows = capture.Rows();
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].type, expected[i].type) << "row " << i;
        EXPECT_EQ(rows[i].value, expected[i].value) << "row " << i;
        EXPECT_EQ(rows[i].delay, expected[i].delay) << "row " << i;
    }
}

TEST(MacroRecorderTest, HeldKeyRecordsDownRepeatsAndUp) {
    Keyboard k;
    k.Start(kDelayNone);
    k.Send(KEY_A, 1);
    k.Send(KEY_A, 2);
    k.Send(KEY_A, 2);
    k.Send(KEY_A, 0);
    ExpectRows(k.capture, {{2, 'A', 0}, {0, 'A', 0}, {0, 'A', 0}, {3, 'A', 0}});
    EXPECT_EQ(k.capture.Rows()[0].text, "A");
}

TEST(MacroRecorderTest, KeypadKeysAreRecordedAsKeypadKeys) {
    Keyboard k;
    k.translator.SetNumLock(false);
    k.Start(kDelayNone);
    k.Tap(KEY_KP7);
    k.Tap(KEY_KPDOT);
    k.Tap(KEY_HOME);
    k.Tap(KEY_KPENTER);
    k.Tap(KEY_ENTER);
    k.Send(KEY_RIGHTSHIFT, 1);
    ExpectRows(k.capture, {{2, 103, 0},
                           {3, 103, 0},
                           {2, 110, 0},
                           {3, 110, 0},
                           {2, 36, 0},
                           {3, 36, 0},
                           {2, 108, 0},
                           {3, 108, 0},
                           {2, 13, 0},
                           {3, 13, 0},
                           {2, 161, 0}});
    EXPECT_EQ(k.capture.Rows()[10].text, "RShift");
}

TEST(MacroRecorderTest, PauseModes) {
    struct Case {
        int mode;
        std::string fixed;
        std::vector<int> delays;
    };
    // Four events: press A, 40 ms, release A, 45 s, press B, 5 ms, release B.
    const Case cases[] = {
        {kDelayRecorded, "10", {40, 31000, 5, 0}},
        {kDelayFixed, "50", {50, 50, 50, 0}},
        {kDelayFixed, "", {0, 0, 0, 0}},
        {kDelayNone, "50", {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Keyboard k;
        k.Start(c.mode, c.fixed);
        k.Send(KEY_A, 1);
        k.Send(KEY_A, 0, 40);
        k.Send(KEY_B, 1, 45000);
        k.Send(KEY_B, 0, 5);
        ASSERT_EQ(k.capture.Rows().size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(k.capture.Rows()[i].delay, c.delays[i]) << "row " << i;
        }
    }
}

TEST(MacroRecorderTest, ClockGoingBackGivesTheLongestPause) {
    Keyboard k;
    k.Start();
    k.Send(KEY_A, 1);
    k.Send(KEY_A, 0, -20);
    EXPECT_EQ(k.capture.Rows()[0].delay, 31000);
}

TEST(MacroRecorderTest, SpaceRules) {
    EXPECT_EQ(RecordingSpace(0, 0), 650);
    EXPECT_EQ(RecordingSpace(3, 318), 8);
    const struct {
        int space;
        bool started;
        int message;
    } cases[] = {{9, false, 361}, {8, false, 361}, {10, true, 362},
                 {19, true, 362}, {20, true, 0},   {-4, false, 361}};
    for (const auto& c : cases) {
        MacroKeyCapture capture;
        const RecordingStart start = capture.StartRecording(c.space, kDelayRecorded, "");
        EXPECT_EQ(start.started, c.started) << c.space;
        EXPECT_EQ(start.messageText, c.message) << c.space;
        EXPECT_EQ(start.messageTitle, c.message ? 360 : 0) << c.space;
        EXPECT_EQ(capture.Recording(), c.started) << c.space;
    }
}

TEST(MacroRecorderTest, RecordingStopsWhenTheSpaceIsUsedUp) {
    Keyboard k;
    ASSERT_TRUE(k.capture.StartRecording(15, kDelayNone, "").started);
    CaptureResult last;
    int sent = 0;
    while (k.capture.Recording() && sent < 40) {
        last = k.Send(sent % 2 == 0 ? KEY_A : KEY_B, 1);
        ++sent;
    }
    EXPECT_EQ(sent, 16);
    EXPECT_TRUE(last.recordingStopped);
    EXPECT_EQ(last.messageText, 362);
    EXPECT_EQ(k.capture.Rows().size(), 16u);
    EXPECT_EQ(k.capture.CaptureMode(), MacroKeyCapture::kIdle);
    // Events after the stop reach nothing.
    const CaptureResult after = k.Send(KEY_C, 1);
    EXPECT_FALSE(after.rowAdded);
    EXPECT_EQ(k.capture.Rows().size(), 16u);
}

TEST(MacroRecorderTest, HeldSetOutlivesCaptures) {
    Keyboard k;
    ASSERT_TRUE(k.capture.BeginKeyCapture());
    k.Send(KEY_C, 1);
    k.capture.EndKeyCapture();
    // C is released while nothing captures: the window's grab has ended, the event never
    // arrives. Its next press under a capture is an auto-repeat.
    k.Start(kDelayNone);
    k.Send(KEY_C, 1);
    ExpectRows(k.capture, {{0, 'C', 0}});
}

TEST(MacroRecorderTest, KeyFieldHoldsTheLastKeyPressedOrReleased) {
    {
        Keyboard k;
        ASSERT_TRUE(k.capture.BeginKeyCapture());
        k.Tap(KEY_LEFTSHIFT);
        k.Tap(KEY_A);
        EXPECT_EQ(k.capture.CapturedKey(), 'A');
        EXPECT_EQ(k.capture.CapturedText(), "A");
        EXPECT_TRUE(k.capture.Rows().empty());
    }
    {
        Keyboard k;
        ASSERT_TRUE(k.capture.BeginKeyCapture());
        k.Send(KEY_LEFTSHIFT, 1);
        k.Send(KEY_A, 1);
        k.Send(KEY_A, 0);
        const CaptureResult result = k.Send(KEY_LEFTSHIFT, 0);
        EXPECT_TRUE(result.consumed);
        EXPECT_TRUE(result.capturedKeyChanged);
        EXPECT_EQ(k.capture.CapturedKey(), 160);
        EXPECT_EQ(k.capture.CapturedText(), "Shift");
    }
}

TEST(MacroRecorderTest, KeyFieldIsRefusedWhileRecording) {
    Keyboard k;
    k.Start();
    EXPECT_FALSE(k.capture.BeginKeyCapture());
    EXPECT_EQ(k.capture.CaptureMode(), MacroKeyCapture::kRecording);
    k.capture.StopRecording();
    EXPECT_EQ(k.capture.CaptureMode(), MacroKeyCapture::kIdle);
}

TEST(MacroRecorderTest, UnknownMessagesAndCodeZeroAreConsumedWithoutEffect) {
    Keyboard k;
    k.Start();
    EXPECT_TRUE(k.capture.OnHookKeyEvent({999, 'A', 30, 0, 0}).consumed);
    EXPECT_TRUE(k.capture.OnHookKeyEvent({kMessageKeyDown, 0, 0, 0, 0}).consumed);
    EXPECT_TRUE(k.capture.Rows().empty());
}

}  // namespace
}  // namespace zephyl
