// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef ZEPHYL_INSTALLED_RESOURCE_DIR
#define ZEPHYL_INSTALLED_RESOURCE_DIR "/usr/local/share/zephyl-keyboard-driver"
#endif
#ifndef ZEPHYL_RESOURCE_FROM_BINDIR
#define ZEPHYL_RESOURCE_FROM_BINDIR "../share/zephyl-keyboard-driver"
#endif

namespace zephyl {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty()) {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/tmp";
}

// The XDG rules ignore relative paths in these variables.
std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
    std::string value = Environment(variable);
    if (!value.empty() && value.front() == '/') {
        return value;
    }
    return HomeFolder() + "/" + fallbackBelowHome;
}

}  // namespace

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') {
        path.push_back('/');
    }
    return path;
}

std::string ExecutableFolder() {
    // The program's file does not move while it runs.
    static const std::string folder = [] {
        std::error_code error;
        std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? std::string("./") : WithTrailingSlash(self.parent_path().string());
    }();
    return folder;
}

namespace {

std::string FindResourceFolder() {
    std::string beside = ExecutableFolder();
    std::error_code error;
    if (std::filesystem::is_regular_file(beside + "config.xml", error)) {
        return beside;
    }
    // An installed binary in <prefix>/bin finds <prefix>/share/... from where it is, so a tree
    // installed under another prefix or moved whole still finds its own data.
    const std::filesystem::path installed =
        (std::filesystem::path(beside) / ZEPHYL_RESOURCE_FROM_BINDIR).lexically_normal();
    if (std::filesystem::is_regular_file(installed / "config.xml", error)) {
        return WithTrailingSlash(installed.string());
    }
    return WithTrailingSlash(ZEPHYL_INSTALLED_RESOURCE_DIR);
}

}  // namespace

std::string ResourceFolder() {
    std::string overridden = Environment("ZEPHYL_RESOURCE_DIR");
    if (!overridden.empty()) {
        return WithTrailingSlash(overridden);
    }
    // Every skin picture painted asks for this folder: look for the data once, not on each
    // frame of an animation.
    static const std::string found = FindResourceFolder();
    return found;
}

std::string UserDataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string UserConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string UserRuntimeDir() {
    std::string value = Environment("XDG_RUNTIME_DIR");
    struct stat info {};
    if (value.empty() || value.front() != '/' || stat(value.c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode) || access(value.c_str(), W_OK) != 0) {
        return {};
    }
    return value;
}

std::string SafeFileComponent(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20) {
            c = '_';
        }
    }
    if (!safe.empty() && safe.front() == '.') {
        safe.front() = '_';
    }
    return safe;
}

}  // namespace zephyl
