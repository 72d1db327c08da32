// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

enum class ContainedFile {
    kInside,   ///< an existing file whose real place is inside the folder
    kMissing,  ///< nothing of that name (or no such folder)
    kOutside,  ///< the name, or a link on its way, leads out of the folder
};

/// Where `name`, a file name taken from a data file, really leads below `folder`: `resolved`
/// gets the real path (links followed) when it is inside. An absolute name or a `..` step
/// counts as outside even when nothing is there.
ContainedFile ResolveContainedFile(const std::string& folder, const std::string& name,
                                   std::string& resolved);

}  // namespace zephyl
