// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/KeyboardLayout.h"

namespace zephyl {

/// How the selected keyboard is connected and what it can do over that connection. The window
/// turns it into tabs, icons and texts.
struct ConnectionState {
    int mode = -1;     ///< kModeCable, kModeBluetooth, kModeReceiver or kModeNone
    int features = 0;  ///< feature bits usable over this connection; none over Bluetooth
    bool batteryReported = false;  ///< a wireless connection: the keyboard has a battery level
    bool perKeyColour = false;     ///< an RGB keyboard (per-key colours), else single colour
    /// The cable is connected and the layout names a firmware version and its tool.
    bool firmwareOffered = false;
    int screenMaxFrames = 0;
    /// The selected model is not connected while another keyboard is: its pages are shown for
    /// what it can do over the cable, and nothing is sent.
    bool modelAbsent = false;
    bool operator==(const ConnectionState&) const = default;
};

/// What the layout offers over `mode`. The receiver cannot carry the per-key lighting stream,
/// so custom lighting is never offered there.
ConnectionState ConnectionStateFor(int mode, const KeyboardLayout& layout);

/// The selected model when it is not connected but another keyboard is: no connection, the
/// pages of what the model does over the cable, no battery and no firmware offer.
ConnectionState AbsentModelState(const KeyboardLayout& layout);

}  // namespace zephyl
