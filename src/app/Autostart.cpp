// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Autostart.h"

#include "app/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace zephyl {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

/// The escapes every string value of a desktop entry takes, applied last.
std::string EscapeString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string AutostartFolder() {
    return UserConfigHome() + "/autostart";
}

}  // namespace

std::string DesktopExecArgument(const std::string& argument) {
    std::string field;
    for (char c : argument) {
        field += c;
        if (c == '%') {
            field += '%';
        }
    }
    if (field.find_first_of(kReserved) == std::string::npos && !field.empty()) {
        return EscapeString(field);
    }
    std::string quoted = "\"";
    for (char c : field) {
        if (kEscapedInQuotes.find(c) != std::string_view::npos) {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    return EscapeString(quoted);
}

std::string AutostartFilePath() {
    std::string name = SoftwareName();
    if (name.empty()) {
        name = kDefaultSoftwareName;  // an empty name would make a hidden ".desktop"
    }
    return AutostartFolder() + "/" + SafeFileComponent(name) + ".desktop";
}

std::string AutostartProgram() {
    // The program beside the one running: an installed tree keeps its resources apart from its
    // binaries (/usr/share, /usr/bin), so the resource folder holds no program to start.
    return ExecutableFolder() + kProgramFileName;
}

std::string AutostartEntry(const std::string& softwareName, const std::string& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           EscapeString(softwareName) +
           "\n"
           "Exec=" +
           DesktopExecArgument(program) +
           "\n"
           "Icon=" +
           kProgramFileName +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool SetAutostart(bool enable) {
    const std::string path = AutostartFilePath();
    if (!enable) {
        if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
            Log(kLogWarning, "cannot remove the autostart entry %s", path.c_str());
            return false;
        }
        return true;
    }
    if (!CreateDirectoryPath(AutostartFolder())) {
        Log(kLogWarning, "cannot create the autostart folder");
        return false;
    }
    // Written beside and renamed over, so a session starting meanwhile never reads half an
    // entry.
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << AutostartEntry(SoftwareName(), AutostartProgram());
        file.flush();
        if (!file) {
            file.close();
            std::remove(temporary.c_str());
            Log(kLogWarning, "cannot write the autostart entry %s", path.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        Log(kLogWarning, "cannot write the autostart entry %s", path.c_str());
        return false;
    }
    return true;
}

bool IsAutostart() {
    return access(AutostartFilePath().c_str(), F_OK) == 0;
}

}  // namespace zephyl
