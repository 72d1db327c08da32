// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Exchange files of a profile's key assignments:
//   <profile><profileinfo name="…"/><keyitems><item fn_layer=… … macro_desc="…"/>…</keyitems>
//   </profile>
// Both layers are written, each item naming its own; an import creates a new profile with both
// and never changes another.

#include "store/ProfileRecords.h"

#include <cstdint>
#include <span>
#include <string>

namespace zephyl {

class ProfileDatabase;

/// The text of a key assignment file.
std::string ProfileKeysDocument(const std::string& profileName,
                                std::span<const KeyAssignment> assignments);

/// "<folder>/<name>-<tick>.xml", the name made safe so the file stays inside the folder.
std::string ProfileKeysFileName(const std::string& folder, const std::string& profileName,
                                std::uint64_t tick);

/// Writes the assignments of both layers of `profile` under the name shown for it into `folder`.
/// Returns the path written, empty when the file could not be written.
std::string ExportProfileKeys(ProfileDatabase& database, int profile, const std::string& shownName,
                              const std::string& folder, std::uint64_t tick);

struct KeyImport {
    bool read = false;  ///< the file is a key assignment file; nothing was created otherwise
    int profileId = 0;  ///< the new profile; 0 when it could not be stored
    std::string name;
    int stored = 0;  ///< items stored
    /// Items that would run a program, open an address, paste a text or switch profile: their
    /// ids name rows of the exporting computer's database, so they are left out.
    int leftOut = 0;
    int messageText = 0;  ///< what to tell the user; 0 for nothing
};

/// Reads a key assignment file into a new profile.
KeyImport ImportProfileKeys(ProfileDatabase& database, const std::string& path);

}  // namespace zephyl
