// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/Pause.h"

#include <memory>

namespace zephyl {

class HostActionExecutor;
class KeyboardController;

struct KeysFeatureOptions {
    PauseFunction pause = SleepPause;
};

/// The keys and macros feature: worker commands 6 (both layers of the current profile), 7 (the
/// current layer on the cable, the selected key's slot on the receiver) and 8 (the macro image),
/// and the key page's part of a page load (the profile marked active becomes current, layer 0).
void RegisterKeysFeature(KeyboardController& controller, KeysFeatureOptions options = {});

/// Runs the keyboard's host-action reports through `executor`; a profile switch also makes the
/// profile the controller's current one (nothing is sent to the keyboard).
void InstallHostActions(KeyboardController& controller,
                        std::shared_ptr<HostActionExecutor> executor);

// The command bodies, for callers that hold the pieces themselves.
void WriteKeyLayers(KeyboardController& controller, const PauseFunction& pause);
void WriteKeyLayer(KeyboardController& controller);
void WriteMacros(KeyboardController& controller, const PauseFunction& pause);

}  // namespace zephyl
