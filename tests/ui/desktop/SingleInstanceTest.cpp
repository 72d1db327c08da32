// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/SingleInstance.h"
#include "support/TempEnvironment.h"
#include "ui/desktop/CoreApplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace zephyl {
namespace {

/// A running program that notes the messages later starts send it.
class RunningInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::CoreApplication();
        ASSERT_TRUE(m_first.TryAcquire());
        QObject::connect(&m_first, &SingleInstance::MessageReceived,
                         [this](const QString& message) { m_received << message; });
    }

    /// What arrived once `count` messages did, or after five seconds.
    QStringList Received(int count) {
        QElapsedTimer clock;
        clock.start();
        while (m_received.size() < count && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return m_received;
    }

    test::TempEnvironment m_environment;
    SingleInstance m_first{"Zephyl Keyboard Driver"};
    SingleInstance m_second{"Zephyl Keyboard Driver"};
    QStringList m_received;
};

TEST_F(RunningInstanceTest, SecondInstanceIsRefusedAndItsMessageReachesTheFirst) {
    EXPECT_FALSE(m_second.TryAcquire());
    ASSERT_TRUE(m_second.SendToRunning(SingleInstance::kShowMessage));
    ASSERT_TRUE(m_second.SendToRunning(SingleInstance::kExitMessage));
    EXPECT_EQ(Received(2), QStringList({"show", "exit 610"}));
}

TEST_F(RunningInstanceTest, AnOverlongMessageIsDroppedAndLaterOnesStillArrive) {
    m_second.SendToRunning(QString(100000, QLatin1Char('x')), 500);
    ASSERT_TRUE(m_second.SendToRunning(SingleInstance::kShowMessage));
    EXPECT_EQ(Received(1), QStringList({"show"}));
}

TEST(SingleInstanceTest, OtherNamesAndReleasedLocksDoNotCollide) {
    test::TempEnvironment environment;
    test::CoreApplication();
    {
        SingleInstance first("A");
        ASSERT_TRUE(first.TryAcquire());
        SingleInstance other("B");
        EXPECT_TRUE(other.TryAcquire());
    }
    SingleInstance again("A");
    EXPECT_TRUE(again.TryAcquire()) << "the lock is released with its owner";
    EXPECT_TRUE(
        again.LockPath().startsWith(QString::fromStdString(environment.RuntimeDir().string())));
}

// A lock file left empty or garbled by a crash must not keep the program from starting forever.
TEST(SingleInstanceTest, UnreadableLockThatNobodyAnswersIsTakenOver) {
    test::TempEnvironment environment;
    test::CoreApplication();
    for (const char* content : {"", "garbage\n\x01\x02"}) {
        SingleInstance probe("Crashed");
        test::WriteFile(probe.LockPath().toStdString(), content);
        SingleInstance next("Crashed");
        EXPECT_TRUE(next.TryAcquire()) << "content: " << content;
        SingleInstance second("Crashed");
        EXPECT_FALSE(second.TryAcquire()) << "the new owner holds it";
    }
}

TEST(SingleInstanceTest, NobodyListeningMeansNoAnswer) {
    test::TempEnvironment environment;
    test::CoreApplication();
    SingleInstance lonely("Nobody");
    EXPECT_FALSE(lonely.SendToRunning(SingleInstance::kShowMessage, 200));
}

}  // namespace
}  // namespace zephyl
