// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/FileSystem.h"

#include <filesystem>

namespace zephyl {

bool CreateDirectoryPath(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return true;
    }
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

bool DeleteTree(const std::string& path) {
    if (path.empty() || path == "/") {
        return false;
    }
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace zephyl
