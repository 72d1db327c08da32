// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// Creates a folder with every missing ancestor; true when it exists afterwards.
bool CreateDirectoryPath(const std::string& path);
/// Creates `path` like CreateDirectoryPath and leaves it readable by its owner only (0700).
bool CreatePrivateDirectory(const std::string& path);

/// Deletes a folder with all its content; true when nothing is left of it (a missing folder
/// counts as deleted). Symbolic links inside are removed, never followed.
bool DeleteTree(const std::string& path);

}  // namespace zephyl
