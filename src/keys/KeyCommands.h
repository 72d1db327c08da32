// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/Pause.h"

#include <atomic>
#include <functional>
#include <memory>

namespace zephyl {

class HostActionExecutor;
class KeyboardController;

/// What the key page has chosen, read by the worker when it writes keys: the layer shown and
/// the key last clicked (0 for none). The window writes it, the worker reads it.
class KeyPageState {
public:
    int CurrentLayer() const { return m_layer.load(); }
    void SetCurrentLayer(int layer) { m_layer.store(layer); }
    int SelectedKey() const { return m_selectedKey.load(); }
    void SetSelectedKey(int keyCode) { m_selectedKey.store(keyCode); }

private:
    std::atomic<int> m_layer{0};
    std::atomic<int> m_selectedKey{0};
};

struct KeyCommandOptions {
    /// Shared with the window's key page; created when null.
    std::shared_ptr<KeyPageState> state;
    /// Called on the worker after the key page's part of a page load (current profile from the
    /// store, layer 0), so the window can fill its lists.
    std::function<void(KeyboardController&)> onKeyPageLoaded;
    PauseFunction pause = SleepPause;
};

/// Installs the worker's key and macro commands on the controller: 6 writes both layers of the
/// current profile, 7 writes the current layer (cable) or the selected key's slot (receiver),
/// 8 writes the macro image; and the key page's part of a page load. Returns the page state.
std::shared_ptr<KeyPageState> InstallKeyCommands(KeyboardController& controller,
                                                 KeyCommandOptions options = {});

/// Runs the keyboard's host-action reports through `executor`; a profile switch also makes the
/// profile the controller's current one (nothing is sent to the keyboard).
void InstallHostActions(KeyboardController& controller,
                        std::shared_ptr<HostActionExecutor> executor);

// The command bodies, for callers that hold the pieces themselves.
void WriteKeyLayers(KeyboardController& controller, const PauseFunction& pause);
void WriteKeyLayer(KeyboardController& controller, const KeyPageState& state);
void WriteMacros(KeyboardController& controller, const PauseFunction& pause);

}  // namespace zephyl
