// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/DeviceManager.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zephyl {

class KeyboardController;

struct LightingFeatureOptions {
    /// Waits between receiver frames; tests pass one that does not sleep.
    TransferPause pause = [](int milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    };
};

/// What the lighting commands share with the window and the command line beside the store:
/// the user lighting set the next write sends, and where the live key colours go.
class LightingState {
public:
    using LiveColourSink =
        std::function<void(const std::vector<std::pair<int, std::uint32_t>>& colours)>;

    /// The set command 11 writes; 0 for none (nothing is written then).
    void SelectUserLight(int id) {
        std::lock_guard lock(m_mutex);
        m_userLight = id;
    }
    int SelectedUserLight() const {
        std::lock_guard lock(m_mutex);
        return m_userLight;
    }

    /// Called on the worker with the colours read back; must not wait for the window thread.
    void SetLiveColourSink(LiveColourSink sink) {
        std::lock_guard lock(m_mutex);
        m_sink = std::move(sink);
    }
    LiveColourSink Sink() const {
        std::lock_guard lock(m_mutex);
        return m_sink;
    }

private:
    mutable std::mutex m_mutex;
    int m_userLight = 0;
    LiveColourSink m_sink;
};

/// The lighting modes and user lighting feature: worker commands 9 (active effect), 10 (side
/// light) and 11 (user lighting), the effect table's seeding when the lighting page loads, and
/// the live key colours read while the lighting page is shown on the cable.
void RegisterLightingFeature(KeyboardController& controller, LightingFeatureOptions options = {});

/// The lighting state of a controller the feature was registered on; a fresh one otherwise.
std::shared_ptr<LightingState> LightingStateOf(const KeyboardController& controller);

}  // namespace zephyl
