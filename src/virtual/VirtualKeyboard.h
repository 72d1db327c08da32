// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/CableSession.h"
#include "virtual/KeyboardMemory.h"
#include "virtual/ModelCatalogue.h"
#include "virtual/ProtocolContext.h"
#include "virtual/ReceiverSession.h"

#include <array>
#include <set>

namespace zephyl::virtualhid {

/// One keyboard of the scenario: its model, its condition, its memory, the connections plugged
/// in, and the protocol state of each connection.
struct VirtualKeyboard {
    ModelInfo model;
    KeyboardStatus status;
    KeyboardMemory memory;
    std::set<int> plugged;
    bool openRefused = false;           ///< every open fails with EACCES
    std::array<CableSession, 2> cable;  ///< cable and Bluetooth carry the same reports
    ReceiverSession receiver;

    CableSession& CableFor(int mode) { return cable[mode == 1 ? 1 : 0]; }
    void ResetConnection(int mode) {
        if (mode == 2) {
            receiver.Reset();
        } else {
            CableFor(mode).Reset();
        }
    }
};

}  // namespace zephyl::virtualhid
