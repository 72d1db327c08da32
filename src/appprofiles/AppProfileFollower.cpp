// SPDX-License-Identifier: GPL-2.0-or-later
#include "appprofiles/AppProfileFollower.h"

#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "appprofiles/X11FocusSource.h"
#include "store/ProfileDatabase.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace zephyl {
namespace {

/// How soon a settled focus is looked at again while commands wait in the queue.
constexpr int kBusyRetryMs = 50;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

AppProfileFollower::AppProfileFollower(KeyboardController& controller,
                                       std::unique_ptr<X11FocusSource> source,
                                       std::int64_t settleMs)
    : m_controller(controller.weak_from_this()), m_source(std::move(source)), m_debounce(settleMs) {
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_wake[0] = m_wake[1] = -1;
    }
}

AppProfileFollower::~AppProfileFollower() {
    Stop();
    for (int fd : m_wake) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void AppProfileFollower::Start() {
    if (m_thread.joinable() || !m_source || m_wake[0] < 0) {
        return;
    }
    m_stop.store(false);
    m_thread = std::thread([this] { Run(); });
}

void AppProfileFollower::Stop() {
    m_stop.store(true);
    if (m_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(m_wake[1], &byte, 1);
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void AppProfileFollower::Run() {
    m_debounce.Focus(m_source->ActiveProgram(), NowMs());
    std::optional<FocusedProgram> settled;
    while (!m_stop.load()) {
        if (m_source->ActiveWindowChanged()) {
            m_debounce.Focus(m_source->ActiveProgram(), NowMs());
            // A newer focus replaces one still waiting for the queue to empty.
            settled.reset();
        }
        if (auto next = m_debounce.Settled(NowMs())) {
            settled = std::move(next);
        }
        if (settled && Apply(*settled)) {
            settled.reset();
        }
        std::int64_t wait = settled ? kBusyRetryMs : m_debounce.WaitMs(NowMs());
        pollfd fds[2] = {{m_source->ConnectionFd(), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        poll(fds, 2, static_cast<int>(wait));
        if (fds[1].revents & POLLIN) {
            char drained[16];
            while (read(m_wake[0], drained, sizeof drained) > 0) {
            }
        }
    }
}

bool AppProfileFollower::Apply(const FocusedProgram& program) {
    const std::shared_ptr<KeyboardController> controller = m_controller.lock();
    if (!controller) {
        m_stop.store(true);
        return true;
    }
    // Switching under a queued key write would hand that write another profile's tables.
    if (controller->CommandWaiting()) {
        return false;
    }
    ProfileDatabase& database = controller->Database();
    std::string matched;
    const int bound = BoundProfile(ReadBindings(database), program, &matched);
    if (!controller->Ready()) {
        // Nothing can be written; the keyboard keeps the tables of the current profile.
        return true;
    }
    const SwitchDecision decision = DecideSwitch(
        bound, m_following.load(), database.GetActiveProfile(), controller->CurrentProfile());
    m_following.store(decision.following);
    if (decision.makeCurrent == 0) {
        return true;
    }
    // Not marked active in the store: that mark is the user's own choice, restored later.
    controller->Selection().SetCurrentProfile(decision.makeCurrent);
    controller->PostCommand(kCommandWriteKeyLayers);
    if (m_shown) {
        m_shown(decision.makeCurrent, bound != 0 ? matched : std::string());
    }
    return true;
}

}  // namespace zephyl
