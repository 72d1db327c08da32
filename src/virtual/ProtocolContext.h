// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/Faults.h"
#include "virtual/KeyboardMemory.h"
#include "virtual/ModelCatalogue.h"

namespace zephyl::virtualhid {

/// The keyboard's condition, set by the scenario and its events.
struct KeyboardStatus {
    int battery = 100;  ///< percent as the battery answer carries it
    bool asleep = false;
    int release = 0x0100;
};

/// What a protocol handler works on while it takes one report, and what it tells the caller.
struct ProtocolContext {
    const ModelInfo& model;
    KeyboardMemory& memory;
    KeyboardStatus& status;
    FaultState& faults;
    bool changed = false;      ///< memory or counters changed: the state file is due
    bool blockReport = false;  ///< the report carried data of a block (unplug_in_block counts it)

    void Refuse(const char* reason) {
        memory.Refuse(reason);
        changed = true;
    }
    void Count(const char* counter) {
        memory.Count(counter);
        changed = true;
    }
};

/// Reasons a report is refused, as counted in the memory's "refused" object.
inline constexpr const char* kRefusedChecksum = "checksum";
inline constexpr const char* kRefusedSequence = "sequence";
inline constexpr const char* kRefusedUnknown = "unknown";
inline constexpr const char* kRefusedMalformed = "malformed";
inline constexpr const char* kRefusedTrailer = "trailer";
inline constexpr const char* kRefusedIncomplete = "incomplete";

/// True when the two bytes at `at` are the block trailer 0xAA 0x55.
inline bool HasTrailer(const Bytes& block, std::size_t at) {
    return at + 1 < block.size() && block[at] == 0xAA && block[at + 1] == 0x55;
}

/// Checks a clock record: 0x00, library position, 0x5A, year (two digits), month, day, hour,
/// minute, second, 0, day of the week (0 = Sunday).
inline bool ValidClock(const std::uint8_t* record) {
    return record[3] <= 99 && record[4] >= 1 && record[4] <= 12 && record[5] >= 1 &&
           record[5] <= 31 && record[6] <= 23 && record[7] <= 59 && record[8] <= 59 &&
           record[10] <= 6;
}

}  // namespace zephyl::virtualhid
