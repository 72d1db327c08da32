// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/ProtocolContext.h"
#include "virtual/ScreenUpload.h"

#include <array>
#include <cstdint>

namespace zephyl::virtualhid {

inline constexpr std::size_t kPayloadBytes = 64;
inline constexpr std::size_t kBulkBlockBytes = 4096;
inline constexpr std::size_t kBulkAnswerBytes = 64;

/// The keyboard's side of the 64-byte feature-report protocol on one connection (the cable, or
/// Bluetooth, which carries the same reports): write sequences begin → header → data packets →
/// end, the refresh, the streamed lighting frames, the live-colour read, and the screen image
/// that a 0x72 header announces on the bulk interface.
///
/// Every report is answered by a status report that the host may read back with a get-feature
/// request: payload bytes 0..2 echo those of the report taken, byte 3 is the status (1 taken,
/// 0 refused, 0xFF busy). A block is kept aside until its end report, which commits it to
/// memory when it is complete and well formed; a refused block leaves memory as it was.
class CableSession {
public:
    void Reset() { *this = CableSession{}; }

    /// Takes one set-feature report: the 64 payload bytes after the report id.
    void SetFeature(const std::uint8_t* payload, ProtocolContext& context);
    /// The 64 payload bytes a get-feature request reads now.
    std::array<std::uint8_t, kPayloadBytes> GetFeature(ProtocolContext& context);
    /// Takes one 4096-byte bulk block; returns the 64-byte answer (0x72, status, unit number).
    Bytes BulkBlock(const std::uint8_t* block, ProtocolContext& context);

private:
    enum class State { Idle, Begun, Data, DataComplete, Bulk, LiveRead };

    void Command(const std::uint8_t* payload, ProtocolContext& context);
    void Header(const std::uint8_t* payload, ProtocolContext& context);
    void End(ProtocolContext& context);
    bool Commit(ProtocolContext& context);
    bool CommitLighting(ProtocolContext& context);
    bool CommitScreenBlock(ProtocolContext& context);
    bool CommitScreenImage(ProtocolContext& context);
    void Answer(const std::uint8_t* payload, std::uint8_t status);

    State m_state = State::Idle;
    std::uint8_t m_begin = 0;  ///< 0x18 or 0x19
    std::uint8_t m_type = 0;
    std::uint8_t m_argument = 0;
    bool m_failed = false;  ///< a report of the running sequence was refused
    std::size_t m_packets = 0;
    Bytes m_block;
    ScreenUpload m_upload;
    std::array<std::uint8_t, kPayloadBytes> m_answer{};
    bool m_answerRead = false;
    Bytes m_live;
    std::size_t m_liveBlocks = 0;
    std::size_t m_liveNext = 0;
};

}  // namespace zephyl::virtualhid
