// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <set>
#include <string>

namespace zephyl {

enum class UnpackResult {
    kDone,
    kCannotOpen,  ///< not a ZIP archive
    /// An entry would land outside the folder (a `..` step, an absolute path, a link leading
    /// out or to the folder itself, a path through another link) or is of a kind we do not
    /// write; nothing of the archive was written.
    kRefused,
    kWriteFailed,
    /// The entries would take more than kUnpackedSizeLimit bytes; what was written is left for
    /// the caller to remove.
    kTooLarge,
};

/// The most an archive may unpack to. Our packages are a few megabytes; a far larger result
/// means a compression bomb, which would fill the user's disk.
inline constexpr unsigned long long kUnpackedSizeLimit = 256ULL * 1024 * 1024;

/// Extracts every entry of the ZIP archive at `archivePath` below `folder` (which must exist),
/// creating sub-folders as the entries name them. Every entry is checked before the first one
/// is written, so a refused archive leaves the folder as it was. Entries marked executable in
/// the archive stay executable. More than `sizeLimit` bytes in all is refused, whatever sizes
/// the archive states.
UnpackResult UnpackAll(const std::string& archivePath, const std::string& folder,
                       unsigned long long sizeLimit = kUnpackedSizeLimit);

/// Whether `entryName` names a place inside the folder it is unpacked to: relative, without
/// `..` steps, not empty.
bool IsContainedEntryName(const std::string& entryName);

/// Whether a link stored at `entryName` whose text is `target` points inside the folder, below
/// its top: a link to the folder itself or above would let `link/..` leave it.
bool IsContainedLink(const std::string& entryName, const std::string& target);

/// Whether following `target` from the link at `entryName` passes through a place that is
/// itself one of `linkNames` (normalized entry names: no `.` steps, no trailing `/`). The
/// system resolves such a step to wherever that link leads, so the lexical check of the target
/// would no longer say where it ends.
bool LinkPassesThroughLink(const std::string& entryName, const std::string& target,
                           const std::set<std::string>& linkNames);

/// `entryName` without `.` steps, doubled or trailing slashes.
std::string NormalizedEntryName(const std::string& entryName);

}  // namespace zephyl
