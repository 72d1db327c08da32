// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <memory>

namespace zephyl {

class CustomLightEngine;
class KeyboardController;

struct CustomLightFeatureOptions {
    /// The animation the stream samples; a new one when null.
    std::shared_ptr<CustomLightEngine> engine;
};

/// Per-key custom lighting: the page load gives the animation the layout's keys, and while the
/// custom lighting page is shown on the cable every idle worker pass streams the animation's
/// latest frame to the keyboard.
void RegisterCustomLightingFeature(KeyboardController& controller,
                                   CustomLightFeatureOptions options = {});

/// The animation registered for `controller`; null when the feature was not registered.
std::shared_ptr<CustomLightEngine> CustomLightEngineOf(const KeyboardController& controller);

/// One idle pass of the stream: a frame of the latest snapshot, on the cable only.
void StreamCustomLight(KeyboardController& controller, const CustomLightEngine& engine);

}  // namespace zephyl
