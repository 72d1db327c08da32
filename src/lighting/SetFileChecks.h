// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// What a lighting set file may be before it is read: the limits the key and macro exchange
// files have.

#include "platform/FileSystem.h"

#include <string>

namespace zephyl {

/// Language texts of a refused set file.
inline constexpr int kTextSetFileTooLarge = 916;
inline constexpr int kTextSetFileNotRegular = 1002;
/// "%d": the most keys a set file may hold for this keyboard.
inline constexpr int kTextSetFileTooManyKeys = 1004;

/// The most keys a set file may hold when no keyboard layout is known: one per key code.
inline constexpr int kMostSetFileKeysWithoutLayout = 256;

/// The language text of what keeps `path` from being read as a set file, 0 when nothing does;
/// a file that cannot be opened is left to the reader, which says so.
inline int SetFileProblem(const std::string& path) {
    switch (InspectRegularFile(path, kExchangeFileLimit)) {
        case FileReadStatus::kTooLarge:
            return kTextSetFileTooLarge;
        case FileReadStatus::kNotRegularFile:
            return kTextSetFileNotRegular;
        default:
            return 0;
    }
}

}  // namespace zephyl
