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

bool CreatePrivateDirectory(const std::string& path) {
    if (!CreateDirectoryPath(path)) {
        return false;
    }
    // Macros and pasted texts may be private: only the user reads the folder, whoever made it.
    std::error_code error;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    return !error;
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
