// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/CThreadBasic.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <pthread.h>
#include <string>

namespace zephyl {
namespace {

TEST(CThreadBasicTest, PeriodicWorkRunsUntilStopped) {
    std::atomic<int> ticks{0};
    CThreadBasic thread;
    ASSERT_TRUE(thread.StartThread(1, true, [&ticks] { ++ticks; }));
    EXPECT_FALSE(thread.StartThread(1, true, [] {})) << "already running";
    while (ticks.load() < 3) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(thread.StopThread());
    const int after = ticks.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ticks.load(), after) << "no tick after the stop";
    EXPECT_FALSE(thread.IsRunning());
}

TEST(CThreadBasicTest, OneShotWorkRunsOnce) {
    std::atomic<int> ticks{0};
    CThreadBasic thread;
    thread.StartThread(1, false, [&ticks] { ++ticks; });
    EXPECT_TRUE(thread.StopThread());
    EXPECT_EQ(ticks.load(), 1);
}

TEST(CThreadBasicTest, ANamedThreadCarriesItsNameCutToFifteenCharacters) {
    // Tools find the worker by its name (top, the bench report's idle figures).
    std::promise<std::string> seen;
    CThreadBasic thread;
    thread.StartThread(
        1, false,
        [&seen] {
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof name);
            seen.set_value(name);
        },
        "zephyl-worker-with-a-long-name");
    EXPECT_EQ(seen.get_future().get(), "zephyl-worker-w");
    EXPECT_TRUE(thread.StopThread());
}

// A work that outlasts the stop wait keeps what it captured alive until it returns.
TEST(CThreadBasicTest, StopThatTimesOutNeverStrandsTheWork) {
    struct Owner {
        std::atomic<bool> used{false};
    };
    std::mutex mutex;
    std::condition_variable release;
    bool released = false;
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
    std::weak_ptr<Owner> watch;
    {
        auto owner = std::make_shared<Owner>();
        watch = owner;
        auto thread = std::make_unique<CThreadBasic>();
        thread->StartThread(1, true, [owner, &mutex, &release, &released, &entered, &finished] {
            entered = true;
            std::unique_lock lock(mutex);
            release.wait(lock, [&released] { return released; });
            owner->used = true;  // the owner must still exist here
            finished = true;
        });
        while (!entered.load()) {
            std::this_thread::yield();
        }
        EXPECT_FALSE(thread->StopThread(std::chrono::milliseconds(50)));
        thread.reset();  // the window goes away while the work still runs
    }
    EXPECT_FALSE(watch.expired()) << "the running work still holds its owner";
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    release.notify_all();
    while (!watch.expired()) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(finished.load());
}

}  // namespace
}  // namespace zephyl
