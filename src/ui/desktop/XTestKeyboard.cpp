// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/XTestKeyboard.h"

#include <QGuiApplication>

#ifdef ZEPHYL_HAVE_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

namespace zephyl {

#ifdef ZEPHYL_HAVE_XTEST

std::unique_ptr<XTestKeyboard> XTestKeyboard::Open() {
    // Under Wayland an X11 display only reaches X11 programs; the paste would go astray.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    ::Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::unique_ptr<XTestKeyboard>(new XTestKeyboard(display));
}

XTestKeyboard::~XTestKeyboard() {
    XCloseDisplay(static_cast<::Display*>(m_display));
}

bool XTestKeyboard::Send(PasteKey key, bool down) {
    auto* display = static_cast<::Display*>(m_display);
    const KeySym symbol = key == PasteKey::kControl ? XK_Control_L : XK_v;
    const KeyCode code = XKeysymToKeycode(display, symbol);
    if (code == 0) {
        return false;
    }
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    XFlush(display);
    return true;
}

#else

std::unique_ptr<XTestKeyboard> XTestKeyboard::Open() {
    return nullptr;
}

XTestKeyboard::~XTestKeyboard() = default;

bool XTestKeyboard::Send(PasteKey, bool) {
    return false;
}

#endif

}  // namespace zephyl
