// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/KeyboardMemory.h"

#include <cstdint>
#include <string>

namespace zephyl::virtualhid {

/// One screen image arriving in units (4096-byte bulk blocks or 28-byte receiver pieces). The
/// image is kept whole until it is committed, then decoded as the screen reads it: byte 0 the
/// frame count, the delay codes after it, frames of width × height RGB565 pixels from the end
/// of the header on.
class ScreenUpload {
public:
    void Start(int uploadIndex, long long units, int unitSize, const char* transport);
    /// The screen's size and header length, which say where each frame lies.
    void SetGeometry(int width, int height, int headerLength);
    void Clear() { *this = ScreenUpload{}; }

    bool Active() const { return m_units > 0; }
    bool Complete() const { return Active() && m_received == m_units; }
    long long Received() const { return m_received; }
    long long Units() const { return m_units; }

    /// Adds the next unit; `length` is the unit size.
    void Add(const std::uint8_t* data, std::size_t length);
    /// Fills the slot from the finished image.
    void CommitTo(ScreenSlot& slot) const;

private:
    int m_uploadIndex = 0;
    long long m_units = 0;
    int m_unitSize = 0;
    std::string m_transport;
    long long m_received = 0;
    int m_width = 0;
    int m_height = 0;
    int m_headerLength = 0;
    Bytes m_image;
    std::uint64_t m_hash = kFnvOffset;
};

}  // namespace zephyl::virtualhid
