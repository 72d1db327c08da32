// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/SingleInstance.h"
#include "support/TempEnvironment.h"
#include "ui/desktop/CoreApplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace zephyl {
namespace {

TEST(SingleInstanceTest, SecondInstanceIsRefusedAndItsMessageReachesTheFirst) {
    test::TempEnvironment environment;
    test::CoreApplication();
    SingleInstance first("Zephyl Keyboard Driver");
    ASSERT_TRUE(first.TryAcquire());
    QStringList received;
    QObject::connect(&first, &SingleInstance::MessageReceived,
                     [&received](const QString& message) { received << message; });

    SingleInstance second("Zephyl Keyboard Driver");
    EXPECT_FALSE(second.TryAcquire());
    ASSERT_TRUE(second.SendToRunning(SingleInstance::kShowMessage));
    ASSERT_TRUE(second.SendToRunning(SingleInstance::kExitMessage));

    QElapsedTimer clock;
    clock.start();
    while (received.size() < 2 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(received, QStringList({"show", "exit 610"}));
}

TEST(SingleInstanceTest, AnOverlongMessageIsDroppedAndLaterOnesStillArrive) {
    test::TempEnvironment environment;
    test::CoreApplication();
    SingleInstance first("Zephyl Keyboard Driver");
    ASSERT_TRUE(first.TryAcquire());
    QStringList received;
    QObject::connect(&first, &SingleInstance::MessageReceived,
                     [&received](const QString& message) { received << message; });
    SingleInstance second("Zephyl Keyboard Driver");
    second.SendToRunning(QString(100000, QLatin1Char('x')), 500);
    ASSERT_TRUE(second.SendToRunning(SingleInstance::kShowMessage));
    QElapsedTimer clock;
    clock.start();
    while (received.isEmpty() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(received, QStringList({"show"}));
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
