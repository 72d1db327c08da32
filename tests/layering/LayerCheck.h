// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zephyl::test {

struct LayerRules {
    /// Folder of src/ -> the folders below it whose headers it may include.
    std::map<std::string, std::set<std::string>> mayUse;
    /// (file relative to the tree, e.g. "src/app/X.cpp", included folder) allowed all the same.
    std::set<std::pair<std::string, std::string>> exceptions;
};

struct LayerViolation {
    std::string file;  ///< relative to the tree, e.g. "src/store/ProfileTables.cpp"
    int line = 0;
    std::string include;  ///< the included path as written
    std::string reason;
};

struct LayerReport {
    std::vector<LayerViolation> violations;
    /// Exceptions that no include needs any more: the table should lose them.
    std::vector<std::pair<std::string, std::string>> unusedExceptions;
};

/// Reads every `#include "dir/..."` of every source file below `treeRoot`/src/<folder>/ and
/// reports each one that names a folder of src/ other than the file's own and not allowed by
/// its row, a folder of src/ without a row, and an include that climbs out with "..".
LayerReport CheckLayers(const std::filesystem::path& treeRoot, const LayerRules& rules);

/// "src/x/y.cpp:12: #include "a/b.h": reason", one violation per line.
std::string Describe(const LayerReport& report);

}  // namespace zephyl::test
