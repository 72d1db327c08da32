// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/MacroImage.h"
#include "keys/Pause.h"

#include <vector>

namespace zephyl {

class DeviceManager;
class ProfileDatabase;

/// Every macro with its steps, as the store holds them now.
struct PreparedMacros {
    std::vector<MacroImageInput> macros;  ///< in list order
    int totalSteps = 0;
};

PreparedMacros PrepareMacros(ProfileDatabase& database);

enum class MacroUpload {
    kSent,      ///< every report was accepted
    kFailed,    ///< sent, but a report was refused or not answered
    kTooLarge,  ///< the set exceeds what the connection takes; nothing was sent
    kNotSent,   ///< the connection takes no macros (Bluetooth, none)
};

/// Writes the macro image over the cable (write sequence with the macro begin) or the receiver
/// (28-byte chunks 2 ms apart), when the set fits the connection's limit.
MacroUpload SendMacros(DeviceManager& devices, int connectionMode, const PreparedMacros& macros,
                       const PauseFunction& pause = SleepPause);

}  // namespace zephyl
