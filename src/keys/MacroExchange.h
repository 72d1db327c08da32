// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Exchange files of one macro:
//   <macro><macroinfo name="…" times="…" type="…" delaytime="…"/><macroitems>
//   <item desc="…" type="…" value="…" delay_time="…"/>…</macroitems></macro>

#include "store/ProfileRecords.h"

#include <span>
#include <string>

namespace zephyl {

class ProfileDatabase;

/// The text of a macro file; the steps in their order.
std::string MacroDocument(const Macro& macro, std::span<const MacroStep> steps);

/// Writes the stored macro `id` to `path` (a macro that no longer exists is written with an
/// empty name and no steps). False when the file could not be written.
bool ExportMacro(ProfileDatabase& database, int id, const std::string& path);

struct MacroImport {
    bool read = false;  ///< the file is a macro file
    int macroId = 0;    ///< the new macro; 0 when nothing was stored
    std::string name;
    int steps = 0;
    int leftOut = 0;      ///< steps the keyboard could not play, not stored
    int messageText = 0;  ///< what to tell the user; 0 for nothing
};

/// Reads a macro file into a new macro, its settings as written, in one transaction. Refused
/// when the macro list already holds the 100 macros the keyboard can address, when the file is
/// too large, its settings out of range or its steps more than the macro memory holds; steps
/// the keyboard cannot play are left out and counted.
MacroImport ImportMacro(ProfileDatabase& database, const std::string& path);

}  // namespace zephyl
