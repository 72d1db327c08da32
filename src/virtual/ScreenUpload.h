// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/KeyboardMemory.h"

#include <cstdint>
#include <string>

namespace zephyl::virtualhid {

/// One screen image arriving in units (4096-byte bulk blocks or 28-byte receiver pieces). Only
/// the image header and a running hash are kept; the pixels are not needed afterwards.
class ScreenUpload {
public:
    void Start(int uploadIndex, long long units, int unitSize, const char* transport);
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
    Bytes m_header;  ///< frame count and delay codes lie in the first 256 bytes
    std::uint64_t m_hash = kFnvOffset;
};

}  // namespace zephyl::virtualhid
