// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zephyl {

/// Exchange files (key assignments, macros, lighting sets) hold a few hundred items of a few
/// hundred bytes: anything larger is not one.
inline constexpr std::uintmax_t kExchangeFileLimit = 4 * 1024 * 1024;

/// How reading a file the user named went.
enum class FileReadStatus {
    kRead,
    kMissing,         ///< nothing by that name
    kNotRegularFile,  ///< a folder, a FIFO, a device, a socket
    kTooLarge,        ///< more bytes than the caller takes
    kUnreadable,      ///< no permission, or the read failed
};

/// Opens `path` without ever blocking (a FIFO with no writer, a device) and tells whether it is
/// a regular file of at most `limit` bytes; nothing is read.
FileReadStatus InspectRegularFile(const std::string& path, std::uintmax_t limit);

/// Reads a regular file of at most `limit` bytes whole. Anything else is refused without
/// blocking and without reading more than `limit` + 1 bytes, even from a file that grows.
FileReadStatus ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes);
FileReadStatus ReadRegularFile(const std::string& path, std::size_t limit,
                               std::vector<std::uint8_t>& bytes);

/// Creates a folder with every missing ancestor; true when it exists afterwards.
bool CreateDirectoryPath(const std::string& path);
/// Creates `path` like CreateDirectoryPath and leaves it readable by its owner only (0700).
bool CreatePrivateDirectory(const std::string& path);

/// Deletes a folder with all its content; true when nothing is left of it (a missing folder
/// counts as deleted). Symbolic links inside are removed, never followed.
bool DeleteTree(const std::string& path);

}  // namespace zephyl
