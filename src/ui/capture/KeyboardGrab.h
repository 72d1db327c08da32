// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyEventTranslator.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

namespace zephyl {

/// Key capture on the desktop: while a capture runs, one window grabs the keyboard, and every
/// press, auto-repeat and release is turned into the (virtual-key, scan code, flags) events the
/// capture and recording rules are written for. The events reach no other window or program.
///
/// One capture at a time: a new one ends the one before (its receiver hears nothing more), a
/// capture ends with its owner window, and ending a capture that was already replaced changes
/// nothing, so two capture users can never leave a grab behind. Window thread only.
class KeyboardGrab : public QObject {
public:
    /// Gets every event of the capture.
    using Receiver = std::function<void(const HookKeyEvent& event)>;

    static KeyboardGrab& Instance();

    /// Starts a capture for `owner`; returns its token.
    int Begin(QWidget* owner, Receiver receiver);
    /// Ends the capture of `token` if it is still the running one.
    void End(int token);
    bool Active() const { return m_owner != nullptr; }
    QWidget* Owner() const { return m_owner; }

    /// The Linux key code of a key event: the X11/xkb key code less 8; 0 when it has none.
    static int LinuxKeyCode(quint32 nativeScanCode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyboardGrab();
    void EndCurrent();

    QPointer<QWidget> m_owner;
    Receiver m_receiver;
    KeyEventTranslator m_translator;
    QMetaObject::Connection m_ownerGone;
    int m_token = 0;
};

}  // namespace zephyl
