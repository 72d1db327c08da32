// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "appprofiles/FocusDecision.h"

#include <memory>
#include <string>
#include <vector>

namespace zephyl {

/// The active window of an X11 session, read from the root window's _NET_ACTIVE_WINDOW that
/// the window manager keeps. A connection of its own, used by one thread at a time.
class X11FocusSource {
public:
    /// Null when no X display can be opened (a Wayland session, no display at all). An empty
    /// name means $DISPLAY.
    static std::unique_ptr<X11FocusSource> Open(const std::string& display = {});
    ~X11FocusSource();
    X11FocusSource(const X11FocusSource&) = delete;
    X11FocusSource& operator=(const X11FocusSource&) = delete;

    /// Readable when events wait: for poll().
    int ConnectionFd() const;
    /// Reads every waiting event; true when the active window changed meanwhile.
    bool ActiveWindowChanged();
    FocusedProgram ActiveProgram();
    /// The programs owning top-level windows (the window manager's client list, else the root's
    /// children with a WM_CLASS), each once; the windows of process `leaveOut` (when not 0) are
    /// left out.
    std::vector<FocusedProgram> TopLevelPrograms(unsigned long leaveOut = 0);

private:
    struct Connection;
    explicit X11FocusSource(std::unique_ptr<Connection> connection);
    /// The program of `window`; `pid` gets its process id when the window names one.
    FocusedProgram ProgramOf(unsigned long window, unsigned long* pid = nullptr);

    std::unique_ptr<Connection> m_connection;
};

/// Whether the desktop session is a Wayland one (XDG_SESSION_TYPE, WAYLAND_DISPLAY).
bool WaylandSession();

/// The programs of the session's top-level windows other than this program's own; empty
/// without an X display.
std::vector<FocusedProgram> RunningPrograms();

}  // namespace zephyl
