// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/capture/KeyboardGrab.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zephyl {
namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "test_capture";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the platform's input devices must outlive every static that uses them.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

constexpr quint32 kNumLock = 0x10;

// A key event as the X11/xkb platform delivers it: key code = Linux key code + 8.
void Send(QWidget& target, QEvent::Type type, int linuxCode, Qt::Key key, quint32 modifiers,
          bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, static_cast<quint32>(linuxCode + 8), 0, modifiers,
                    QString(), autoRepeat);
    QCoreApplication::sendEvent(&target, &event);
}

struct Captured {
    std::vector<HookKeyEvent> events;
};

class KeyboardGrabTest : public ::testing::Test {
protected:
    void SetUp() override { Application(); }
    void TearDown() override { KeyboardGrab::Instance().End(m_token); }

    int Capture(QWidget* owner, Captured& into) {
        m_token = KeyboardGrab::Instance().Begin(
            owner, [&into](const HookKeyEvent& event) { into.events.push_back(event); });
        return m_token;
    }
    int m_token = 0;
};

TEST_F(KeyboardGrabTest, LinuxKeyEventsBecomeCaptureEvents) {
    QWidget window;
    Captured captured;
    Capture(&window, captured);
    struct Case {
        QEvent::Type type;
        int linuxCode;
        Qt::Key key;
        quint32 modifiers;
        bool autoRepeat;
        int message;
        int virtualKey;
        int scanCode;
        int flags;
    };
    const Case cases[] = {
        {QEvent::KeyPress, 30, Qt::Key_A, kNumLock, false, 256, 'A', 0x1E, 0},
        {QEvent::KeyPress, 30, Qt::Key_A, kNumLock, true, 256, 'A', 0x1E, 0},  // held
        {QEvent::KeyRelease, 30, Qt::Key_A, kNumLock, true, -1, 0, 0, 0},      // X11 pair
        {QEvent::KeyRelease, 30, Qt::Key_A, kNumLock, false, 257, 'A', 0x1E, 0x80},
        {QEvent::KeyPress, 79, Qt::Key_1, kNumLock, false, 256, 97, 0x4F, 0},  // keypad 1
        {QEvent::KeyPress, 79, Qt::Key_End, 0, false, 256, 35, 0x4F, 0},       // Num Lock off
        {QEvent::KeyPress, 96, Qt::Key_Enter, kNumLock, false, 256, 13, 0x1C, 0x01},
        {QEvent::KeyPress, 200, Qt::Key_unknown, 0, false, -1, 0, 0, 0},  // not a PC key
    };
    std::size_t expected = 0;
    for (const auto& c : cases) {
        Send(window, c.type, c.linuxCode, c.key, c.modifiers, c.autoRepeat);
        if (c.message < 0) {
            EXPECT_EQ(captured.events.size(), expected) << c.linuxCode << " was passed on";
            continue;
        }
        ASSERT_EQ(captured.events.size(), ++expected) << c.linuxCode;
        const HookKeyEvent& event = captured.events.back();
        EXPECT_EQ(event.message, c.message) << c.linuxCode;
        EXPECT_EQ(event.virtualKey, c.virtualKey) << c.linuxCode;
        EXPECT_EQ(event.scanCode, c.scanCode) << c.linuxCode;
        EXPECT_EQ(event.flags & (kFlagExtended | kFlagReleased), c.flags) << c.linuxCode;
    }
}

TEST_F(KeyboardGrabTest, EventsAreConsumedWhileCapturing) {
    class Counting : public QWidget {
    public:
        int presses = 0;

    protected:
        void keyPressEvent(QKeyEvent*) override { ++presses; }
    };
    Counting window;
    Send(window, QEvent::KeyPress, 30, Qt::Key_A, 0);
    EXPECT_EQ(window.presses, 1) << "no capture: the window gets its keys";
    Captured captured;
    const int token = Capture(&window, captured);
    Send(window, QEvent::KeyPress, 30, Qt::Key_A, 0);
    EXPECT_EQ(window.presses, 1);
    EXPECT_EQ(captured.events.size(), 1u);
    KeyboardGrab::Instance().End(token);
    Send(window, QEvent::KeyPress, 30, Qt::Key_A, 0);
    EXPECT_EQ(window.presses, 2);
    EXPECT_EQ(captured.events.size(), 1u) << "nothing after the end";
}

TEST_F(KeyboardGrabTest, NestedCapturesResumeAndNeverLeaveAGrabBehind) {
    QWidget first;
    Captured firstEvents;
    const int firstToken = Capture(&first, firstEvents);
    Captured secondEvents;
    {
        auto second = std::make_unique<QWidget>();
        const int secondToken = Capture(second.get(), secondEvents);
        EXPECT_NE(secondToken, firstToken);
        EXPECT_EQ(KeyboardGrab::Instance().Owner(), second.get());
        Send(first, QEvent::KeyPress, 30, Qt::Key_A, 0);
        EXPECT_TRUE(firstEvents.events.empty()) << "the later capture takes the events";
        EXPECT_EQ(secondEvents.events.size(), 1u);
    }  // the second owner goes away without ending its capture
    ASSERT_EQ(KeyboardGrab::Instance().Owner(), &first) << "the first capture runs again";
    Send(first, QEvent::KeyPress, 48, Qt::Key_B, 0);
    EXPECT_EQ(secondEvents.events.size(), 1u) << "no delivery to a destroyed receiver";
    ASSERT_EQ(firstEvents.events.size(), 1u);
    EXPECT_EQ(firstEvents.events.back().virtualKey, 'B');

    // Ending a suspended capture leaves the running one alone; ending twice changes nothing.
    QWidget third;
    Captured thirdEvents;
    const int thirdToken = Capture(&third, thirdEvents);
    KeyboardGrab::Instance().End(firstToken);
    EXPECT_EQ(KeyboardGrab::Instance().Owner(), &third);
    KeyboardGrab::Instance().End(firstToken);
    KeyboardGrab::Instance().End(thirdToken);
    EXPECT_FALSE(KeyboardGrab::Instance().Active());
    Send(first, QEvent::KeyPress, 30, Qt::Key_A, 0);
    EXPECT_EQ(firstEvents.events.size(), 1u);
    EXPECT_TRUE(thirdEvents.events.empty());
}

}  // namespace
}  // namespace zephyl
