// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "sdkserver/SdkSession.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace zephyl {

class KeyboardController;

/// The connected keyboard as an SDK controller: a keyboard with its keys as LEDs in one matrix
/// zone, a "Direct" mode whose colours stream to the keyboard (cable) and the built-in effects
/// as further modes (cable and receiver).
///
/// Colours from every client land in one buffer, the last write of a LED winning; the worker
/// takes a copy of the buffer when it changed and streams it, so no lock is held while the
/// frame travels and a frame never mixes two halves of one update.
class SdkKeyboard : public SdkBackend {
public:
    static constexpr std::int32_t kDirectMode = 0;

    explicit SdkKeyboard(std::weak_ptr<KeyboardController> controller)
        : m_controller(std::move(controller)) {}

    std::uint32_t ControllerCount() override;
    std::optional<SdkController> Describe(std::uint32_t index) override;
    std::optional<std::uint32_t> ZoneFirstLed(std::uint32_t index, std::uint32_t zone) override;
    void SetColours(std::uint32_t index, std::uint32_t firstLed,
                    std::span<const SdkColour> colours) override;
    void SetCustomMode(std::uint32_t index) override;
    void UpdateMode(std::uint32_t index, std::int32_t modeIndex, const SdkMode& mode,
                    std::uint32_t version) override;

    /// One idle pass of the worker: a frame of the colours when they changed since the last
    /// frame the keyboard took, in Direct mode on the cable.
    void StreamStep(KeyboardController& controller);

    /// Frames the keyboard took since the start.
    std::uint64_t FramesSent() const;
    bool DirectMode() const;

private:
    std::shared_ptr<KeyboardController> Controller() const { return m_controller.lock(); }

    std::weak_ptr<KeyboardController> m_controller;
    mutable std::mutex m_mutex;
    std::vector<SdkColour> m_colours;    ///< by LED (the layout's key order)
    std::uint64_t m_generation = 0;      ///< counts colour changes
    std::uint64_t m_sentGeneration = 0;  ///< the change the keyboard shows
    std::uint64_t m_framesSent = 0;
    bool m_direct = false;
};

/// Registers the stream as a background step of `controller` (it sends nothing until a client
/// sets colours). The controller must be owned by a shared pointer.
void RegisterSdkServerFeature(KeyboardController& controller);

/// The SDK controller side registered for `controller`; null when the feature was not.
std::shared_ptr<SdkKeyboard> SdkKeyboardOf(const KeyboardController& controller);

}  // namespace zephyl
