// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyEventTranslator.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace zephyl {

/// Key capture on the desktop: while a capture runs, one window grabs the keyboard, and every
/// press, auto-repeat and release is turned into the (virtual-key, scan code, flags) events the
/// capture and recording rules are written for. The events reach no other window or program.
///
/// Captures nest: a capture begun while another runs takes the events until it ends, then the
/// one before gets them again (a key field of a dialog clicked during a recording). A capture
/// ends with End or with its owner window, wherever it sits among the running ones, so no user
/// can leave a grab behind or be called after its window is gone. Window thread only.
class KeyboardGrab : public QObject {
public:
    /// Gets every event of the capture.
    using Receiver = std::function<void(const HookKeyEvent& event)>;

    static KeyboardGrab& Instance();

    /// Starts a capture for `owner`; returns its token (0 for no owner).
    int Begin(QWidget* owner, Receiver receiver);
    /// Ends the capture of `token`; nothing for a capture that already ended.
    void End(int token);
    bool Active() const { return !m_captures.empty(); }
    /// The window of the capture that gets the events; null when none runs.
    QWidget* Owner() const;

    /// The Linux key code of a key event: the X11/xkb key code less 8; 0 when it has none.
    static int LinuxKeyCode(quint32 nativeScanCode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Capture {
        int token = 0;
        QPointer<QWidget> owner;
        Receiver receiver;
        QMetaObject::Connection ownerGone;
    };

    KeyboardGrab();
    /// Removes a capture; when it was the running one, the keyboard goes to the one before.
    void Remove(int token);

    std::vector<Capture> m_captures;  ///< the running capture last
    KeyEventTranslator m_translator;
    int m_lastToken = 0;
};

}  // namespace zephyl
