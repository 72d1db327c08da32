// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// User lighting sets: a fixed colour per key, kept as named sets in the profile database and
// exchanged as small XML files.

#include "lighting/SetFileChecks.h"
#include "protocol/LightingReports.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zephyl {

class ProfileDatabase;

/// A key of the keyboard picture with the colour it shows (0x00BBGGRR).
using KeyColourList = std::vector<std::pair<int, std::uint32_t>>;

/// The name a stored set name is shown with: a default name in any language gets the current
/// language's words.
std::string UserLightDisplayName(const std::string& storedName);

/// The name of a new set when the list already holds `entries` sets.
std::string NewUserLightName(int entries);

/// Removes a set and its key rows; false when the set was not removed.
bool DeleteUserLightSet(ProfileDatabase& database, int id);

/// Replaces every key row of set `id` by `keys`, in their order.
void StoreUserLightKeys(ProfileDatabase& database, int id, const KeyColourList& keys);

/// The key rows of a set, in row order, as the colour block takes them.
std::vector<KeyColour> UserLightColours(ProfileDatabase& database, int id);

/// "<folder>/<name>-<tick>.xml", the name made safe to be one component of a path.
std::string UserLightFileName(const std::string& folder, const std::string& shownName,
                              std::uint64_t tick);

/// Writes the exchange file of set `id` into `folder` under its shown name; the path written,
/// empty when it could not be saved.
std::string ExportUserLight(ProfileDatabase& database, int id, const std::string& shownName,
                            const std::string& folder, std::uint64_t tick);

/// Writes the exchange file of set `id` to `path`; false when it could not be saved.
bool SaveUserLight(ProfileDatabase& database, int id, const std::string& shownName,
                   const std::string& path);

struct UserLightImport {
    bool read = false;     ///< the file was parsed and held a set
    int id = 0;            ///< the new set, 0 when it could not be stored
    std::string name;      ///< the name as the file gives it
    int messageText = 0;   ///< why nothing was imported from a file that was read; 0 for none
    int messageCount = 0;  ///< the number for a "%d" in that text
};

/// Reads an exchange file into a new set with its key rows. A file larger than an exchange file,
/// not a regular file, or with more than `mostKeys` keys changes nothing.
UserLightImport ImportUserLight(ProfileDatabase& database, const std::string& path,
                                int mostKeys = kMostSetFileKeysWithoutLayout);

}  // namespace zephyl
