// SPDX-License-Identifier: GPL-2.0-or-later
// Synthesised key presses on an X11 display. Kept apart so the X11 headers, whose macros clash
// with Qt's names, reach only one file.
#pragma once

#include "ui/desktop/DesktopLauncher.h"

#include <memory>

namespace zephyl {

class XTestKeyboard {
public:
    /// A keyboard of the display the program runs on, or null when there is no X11 display
    /// with the test extension (Wayland, offscreen, a build without XTest).
    static std::unique_ptr<XTestKeyboard> Open();
    ~XTestKeyboard();
    XTestKeyboard(const XTestKeyboard&) = delete;
    XTestKeyboard& operator=(const XTestKeyboard&) = delete;

    /// Presses or releases the key that types `key` in the current keyboard layout.
    bool Send(PasteKey key, bool down);

private:
    explicit XTestKeyboard(void* display) : m_display(display) {}
    void* m_display;  ///< the X11 display connection, opaque here
};

}  // namespace zephyl
