// SPDX-License-Identifier: GPL-2.0-or-later
#include "appprofiles/X11FocusSource.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>

namespace zephyl {
namespace {

// A window may close between the moment it is named and the moment it is read; Xlib's own
// handler would end the program for that. Whatever fails reads as "no such property".
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

void InstallErrorHandler() {
    static std::once_flag once;
    std::call_once(once, [] { XSetErrorHandler(IgnoreError); });
}

/// The kernel keeps only 15 characters of a process name; the program's own first argument
/// gives the whole name when it begins with those.
constexpr size_t kKernelNameLength = 15;

std::string ProcessName(unsigned long pid) {
    const std::string folder = "/proc/" + std::to_string(pid);
    std::ifstream file(folder + "/comm");
    std::string name;
    std::getline(file, name);
    if (name.size() == kKernelNameLength) {
        std::ifstream arguments(folder + "/cmdline");
        std::string first;
        std::getline(arguments, first, '\0');
        const std::string base = first.substr(first.rfind('/') + 1);
        if (base.size() > name.size() && base.compare(0, name.size(), name) == 0) {
            return base;
        }
    }
    return name;
}

}  // namespace

struct X11FocusSource::Connection {
    Display* display = nullptr;
    Window root = 0;
    Atom activeWindow = 0;
    Atom windowPid = 0;
    Atom clientList = 0;

    ~Connection() {
        if (display) {
            XCloseDisplay(display);
        }
    }

    /// Window-typed or cardinal-typed 32-bit items of a property; empty when it is missing.
    std::vector<unsigned long> Items(Window window, Atom property, Atom type) {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned long> items;
        if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType,
                               &format, &count, &after, &data) == Success &&
            data && format == 32 && actualType == type) {
            // Xlib hands 32-bit items as longs.
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            items.assign(values, values + count);
        }
        if (data) {
            XFree(data);
        }
        return items;
    }
};

X11FocusSource::X11FocusSource(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection)) {}

X11FocusSource::~X11FocusSource() = default;

std::unique_ptr<X11FocusSource> X11FocusSource::Open(const std::string& display) {
    InstallErrorHandler();
    auto connection = std::make_unique<Connection>();
    connection->display = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (!connection->display) {
        return nullptr;
    }
    Display* d = connection->display;
    connection->root = DefaultRootWindow(d);
    connection->activeWindow = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    connection->windowPid = XInternAtom(d, "_NET_WM_PID", False);
    connection->clientList = XInternAtom(d, "_NET_CLIENT_LIST", False);
    XSelectInput(d, connection->root, PropertyChangeMask);
    XFlush(d);
    return std::unique_ptr<X11FocusSource>(new X11FocusSource(std::move(connection)));
}

int X11FocusSource::ConnectionFd() const {
    return ConnectionNumber(m_connection->display);
}

bool X11FocusSource::ActiveWindowChanged() {
    Display* d = m_connection->display;
    bool changed = false;
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == PropertyNotify && event.xproperty.window == m_connection->root &&
            event.xproperty.atom == m_connection->activeWindow) {
            changed = true;
        }
    }
    return changed;
}

FocusedProgram X11FocusSource::ProgramOf(unsigned long window, unsigned long* pid) {
    FocusedProgram program;
    if (window == 0) {
        return program;
    }
    XClassHint hint{};
    if (XGetClassHint(m_connection->display, window, &hint)) {
        program.instance = hint.res_name ? hint.res_name : "";
        program.windowClass = hint.res_class ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    const auto pids = m_connection->Items(window, m_connection->windowPid, XA_CARDINAL);
    if (!pids.empty() && pids.front() > 0) {
        program.process = ProcessName(pids.front());
        if (pid) {
            *pid = pids.front();
        }
    }
    return program;
}

FocusedProgram X11FocusSource::ActiveProgram() {
    const auto active =
        m_connection->Items(m_connection->root, m_connection->activeWindow, XA_WINDOW);
    return ProgramOf(active.empty() ? 0 : active.front());
}

std::vector<FocusedProgram> X11FocusSource::TopLevelPrograms(unsigned long leaveOut) {
    std::vector<unsigned long> windows =
        m_connection->Items(m_connection->root, m_connection->clientList, XA_WINDOW);
    if (windows.empty()) {
        // No window manager keeps a client list: the root's children are the top-level windows.
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(m_connection->display, m_connection->root, &rootReturn, &parent, &children,
                       &count) &&
            children) {
            windows.assign(children, children + count);
            XFree(children);
        }
    }
    std::vector<FocusedProgram> programs;
    for (unsigned long window : windows) {
        unsigned long pid = 0;
        FocusedProgram program = ProgramOf(window, &pid);
        if ((leaveOut != 0 && pid == leaveOut) || program.Shown().empty() ||
            std::find(programs.begin(), programs.end(), program) != programs.end()) {
            continue;
        }
        programs.push_back(std::move(program));
    }
    return programs;
}

bool WaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (type && std::string(type) == "wayland") || (wayland && *wayland);
}

std::vector<FocusedProgram> RunningPrograms() {
    const auto source = X11FocusSource::Open();
    return source ? source->TopLevelPrograms(static_cast<unsigned long>(getpid()))
                  : std::vector<FocusedProgram>();
}

}  // namespace zephyl
