// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <atomic>

namespace zephyl {

/// The profile, layer and key the user works on: the one place the window, the command line and
/// the worker read them from, so a key edit and the tables written for it never disagree about
/// whose keys they are. Any thread.
class KeySelection {
public:
    /// The profile whose assignments are shown, edited and written; 0 when none is.
    int CurrentProfile() const { return m_profile.load(); }
    void SetCurrentProfile(int profile) { m_profile.store(profile); }
    /// 0 the base layer, 1 the Fn layer.
    int CurrentLayer() const { return m_layer.load(); }
    void SetCurrentLayer(int layer) { m_layer.store(layer); }
    /// The key last clicked on the keyboard picture; 0 for none.
    int SelectedKey() const { return m_selectedKey.load(); }
    void SetSelectedKey(int keyCode) { m_selectedKey.store(keyCode); }

private:
    std::atomic<int> m_profile{1};
    std::atomic<int> m_layer{0};
    std::atomic<int> m_selectedKey{0};
};

}  // namespace zephyl
