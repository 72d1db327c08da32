// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Exchange files of one custom lighting set:
//   <customlight><lightinfo name="…" speed="…"/><keyinfo>
//   <item keycode="…" lightmode="…" rgbvalue="…" type="…"/>…</keyinfo></customlight>

#include "lighting/SetFileChecks.h"
#include "store/ProfileRecords.h"

#include <span>
#include <string>

namespace zephyl {

class ProfileDatabase;

/// Speed written for a set that has no stored speed.
inline constexpr int kExportDefaultSpeed = 10;

/// The text of a set file: its shown name, speed and key rows in their order.
std::string CustomLightDocument(const std::string& shownName, int speed,
                                std::span<const CustomLightKey> rows);

/// The file name offered for a set: its name made safe to be one file name, with ".xml".
std::string CustomLightFileName(const std::string& shownName);

/// `path` with ".xml" appended unless it ends so already.
std::string WithXmlExtension(const std::string& path);

/// Writes set `id` under its shown name to `path` (".xml" appended when missing). Returns the
/// path written; empty when the file could not be written.
std::string ExportCustomLight(ProfileDatabase& database, int id, const std::string& shownName,
                              const std::string& path);

struct CustomLightImport {
    bool read = false;  ///< the file is a set file
    int setId = 0;      ///< the new set; 0 when nothing was stored
    std::string name;
    int speed = 0;
    int keys = 0;          ///< key rows stored
    int messageText = 0;   ///< what to tell the user; 0 for nothing
    int messageCount = 0;  ///< the number for a "%d" in that text
};

/// Reads a set file into a new set of profile 1. Every key gets colour type 1, and a key whose
/// effect is 0 is not stored. A file that cannot be read, is not a set file, is larger than an
/// exchange file or holds more than `mostKeys` keys changes nothing.
CustomLightImport ImportCustomLight(ProfileDatabase& database, const std::string& path,
                                    int mostKeys = kMostSetFileKeysWithoutLayout);

}  // namespace zephyl
