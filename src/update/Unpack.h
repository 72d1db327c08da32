// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

enum class UnpackResult {
    kDone,
    kCannotOpen,  ///< not a ZIP archive
    /// An entry would land outside the folder (a `..` step, an absolute path, a link leading
    /// out) or is of a kind we do not write; nothing of the archive was written.
    kRefused,
    kWriteFailed,
};

/// Extracts every entry of the ZIP archive at `archivePath` below `folder` (which must exist),
/// creating sub-folders as the entries name them. Every entry is checked before the first one
/// is written, so a refused archive leaves the folder as it was. Entries marked executable in
/// the archive stay executable.
UnpackResult UnpackAll(const std::string& archivePath, const std::string& folder);

/// Whether `entryName` names a place inside the folder it is unpacked to: relative, without
/// `..` steps, not empty.
bool IsContainedEntryName(const std::string& entryName);

/// Whether a link stored at `entryName` whose text is `target` points inside the folder.
bool IsContainedLink(const std::string& entryName, const std::string& target);

}  // namespace zephyl
