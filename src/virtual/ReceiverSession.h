// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/ProtocolContext.h"
#include "virtual/ScreenUpload.h"

#include <cstdint>

namespace zephyl::virtualhid {

inline constexpr std::size_t kFrameBytes = 33;   ///< report id 0 and the 32-byte frame
inline constexpr std::size_t kAnswerBytes = 32;  ///< answers carry no report id

/// The keyboard's side of the receiver protocol: 32-byte frames (command, length or unit
/// number, index, up to 28 data bytes, checksum at frame byte 32) answered by 32-byte reports
/// whose first three bytes echo frame bytes 1..3.
///
/// A frame with a wrong checksum, of a malformed shape or out of order is dropped without an
/// answer, which is all the host can notice of a refusal on this link; the refusal is counted.
/// While the keyboard sleeps nothing is answered at all. Multi-frame blocks (key tables, user
/// colours, macro image, screen image) must arrive in order from piece 0 and are kept aside
/// until their last piece.
class ReceiverSession {
public:
    void Reset() { *this = ReceiverSession{}; }

    /// Takes one written frame (kFrameBytes, byte 0 the report id). Returns true with the
    /// answer (kAnswerBytes) when the keyboard answers.
    bool Frame(const std::uint8_t* frame, ProtocolContext& context, Bytes& answer);

private:
    /// Pieces of one block arriving in order.
    struct Assembly {
        int next = 0;
        Bytes data;
    };

    bool Dispatch(const std::uint8_t* frame, ProtocolContext& context, Bytes& answer);
    bool KeySlot(const std::uint8_t* frame, int layer, ProtocolContext& context);
    bool Lighting(const std::uint8_t* frame, ProtocolContext& context);
    bool Settings(const std::uint8_t* frame, ProtocolContext& context);
    bool MacroPiece(const std::uint8_t* frame, ProtocolContext& context);
    bool Music(const std::uint8_t* frame, ProtocolContext& context);
    bool Clock(const std::uint8_t* frame, ProtocolContext& context);
    bool KeyTablePiece(const std::uint8_t* frame, int layer, ProtocolContext& context);
    bool UserColourPiece(const std::uint8_t* frame, ProtocolContext& context);
    bool ScreenStart(const std::uint8_t* frame, ProtocolContext& context);
    bool ScreenUnit(const std::uint8_t* frame, ProtocolContext& context);
    /// Places piece `index` of `pieces` (each `length` data bytes, 28 apart) into `assembly`;
    /// false when it is out of order.
    static bool Place(Assembly& assembly, int index, const std::uint8_t* data, std::size_t length);

    Assembly m_keyTables[2];
    Assembly m_userColours;
    Assembly m_macro;
    ScreenUpload m_upload;
};

}  // namespace zephyl::virtualhid
