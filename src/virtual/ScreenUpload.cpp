// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/ScreenUpload.h"

#include <algorithm>

namespace zephyl::virtualhid {

namespace {

constexpr std::size_t kHeaderBytes = 256;

}  // namespace

void ScreenUpload::Start(int uploadIndex, long long units, int unitSize, const char* transport) {
    Clear();
    m_uploadIndex = uploadIndex;
    m_units = units;
    m_unitSize = unitSize;
    m_transport = transport;
}

void ScreenUpload::Add(const std::uint8_t* data, std::size_t length) {
    if (!Active() || m_received >= m_units) {
        return;
    }
    const std::size_t wanted = kHeaderBytes - std::min(kHeaderBytes, m_header.size());
    m_header.insert(m_header.end(), data, data + std::min(wanted, length));
    m_hash = Fnv1a(m_hash, data, length);
    ++m_received;
}

void ScreenUpload::CommitTo(ScreenSlot& slot) const {
    slot = ScreenSlot{};
    slot.filled = true;
    slot.uploadIndex = m_uploadIndex;
    slot.transport = m_transport;
    slot.unitSize = m_unitSize;
    slot.units = m_units;
    slot.bytes = m_units * m_unitSize;
    slot.hash = m_hash;
    if (!m_header.empty()) {
        slot.frames = m_header[0];
        for (std::size_t k = 1; k <= static_cast<std::size_t>(slot.frames) && k < m_header.size();
             ++k) {
            slot.delays.push_back(m_header[k]);
        }
    }
}

}  // namespace zephyl::virtualhid
