// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/capture/KeyboardGrab.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QKeyEvent>

#include <algorithm>

namespace zephyl {
namespace {

// X11's Num Lock modifier, as the native modifiers of a key event carry it.
constexpr quint32 kNativeNumLock = 0x10;
// X11 and xkb number keys from 8 up: key code = Linux key code + 8.
constexpr quint32 kXkbKeyCodeOffset = 8;

}  // namespace

KeyboardGrab& KeyboardGrab::Instance() {
    static KeyboardGrab* grab = new KeyboardGrab;  // lives as long as the application
    return *grab;
}

KeyboardGrab::KeyboardGrab() {
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
    }
}

int KeyboardGrab::LinuxKeyCode(quint32 nativeScanCode) {
    return nativeScanCode > kXkbKeyCodeOffset ? static_cast<int>(nativeScanCode - kXkbKeyCodeOffset)
                                              : 0;
}

int KeyboardGrab::Begin(QWidget* owner, Receiver receiver) {
    if (!owner) {
        return 0;
    }
    if (QWidget* previous = Owner()) {
        previous->releaseKeyboard();
    }
    Capture capture;
    capture.token = ++m_lastToken;
    capture.owner = owner;
    capture.receiver = std::move(receiver);
    const int token = capture.token;
    capture.ownerGone = connect(owner, &QObject::destroyed, this, [this, token] { Remove(token); });
    m_captures.push_back(std::move(capture));
    m_translator = KeyEventTranslator();
    owner->grabKeyboard();
    return token;
}

void KeyboardGrab::End(int token) {
    Remove(token);
}

QWidget* KeyboardGrab::Owner() const {
    return m_captures.empty() ? nullptr : m_captures.back().owner.data();
}

void KeyboardGrab::Remove(int token) {
    const auto found = std::find_if(m_captures.begin(), m_captures.end(),
                                    [token](const Capture& c) { return c.token == token; });
    if (token == 0 || found == m_captures.end()) {
        return;
    }
    const bool running = std::next(found) == m_captures.end();
    disconnect(found->ownerGone);
    if (running && found->owner) {
        found->owner->releaseKeyboard();
    }
    m_captures.erase(found);
    if (running && !m_captures.empty()) {
        m_translator = KeyEventTranslator();
        if (QWidget* owner = Owner()) {
            owner->grabKeyboard();
        }
    }
}

bool KeyboardGrab::eventFilter(QObject* watched, QEvent* event) {
    if (m_captures.empty() ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool pressed = event->type() == QEvent::KeyPress;
    // X11 repeats a held key as release + press pairs; only the press stands for the repeat.
    if (!pressed && key->isAutoRepeat()) {
        return true;
    }
    const int linuxCode = LinuxKeyCode(key->nativeScanCode());
    if (linuxCode != 0) {
        m_translator.SetNumLock((key->nativeModifiers() & kNativeNumLock) != 0);
        const int value = !pressed              ? KeyEventTranslator::kReleased
                          : key->isAutoRepeat() ? KeyEventTranslator::kRepeated
                                                : KeyEventTranslator::kPressed;
        if (const auto translated =
                m_translator.Translate(linuxCode, value, QDateTime::currentMSecsSinceEpoch())) {
            // The receiver may end the capture; keep it alive for this call.
            const Receiver receiver = m_captures.back().receiver;
            if (receiver) {
                receiver(*translated);
            }
        }
    }
    return true;  // nothing reaches the windows while capturing
}

}  // namespace zephyl
