// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/ScreenUpload.h"

#include <algorithm>

namespace zephyl::virtualhid {

void ScreenUpload::Start(int uploadIndex, long long units, int unitSize, const char* transport) {
    Clear();
    m_uploadIndex = uploadIndex;
    m_units = units;
    m_unitSize = unitSize;
    m_transport = transport;
    // The sessions bound `units` by the largest image the model takes.
    m_image.reserve(static_cast<std::size_t>(units) * static_cast<std::size_t>(unitSize));
}

void ScreenUpload::SetGeometry(int width, int height, int headerLength) {
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_headerLength = std::max(0, headerLength);
}

void ScreenUpload::Add(const std::uint8_t* data, std::size_t length) {
    if (!Active() || m_received >= m_units) {
        return;
    }
    m_image.insert(m_image.end(), data, data + length);
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
    slot.width = m_width;
    slot.height = m_height;
    if (m_image.empty()) {
        return;
    }
    // One byte counts up to 256 frames: an image always carries at least one, so 0 is 256.
    slot.frames = m_image[0] != 0 ? m_image[0] : 256;
    const std::size_t header = static_cast<std::size_t>(m_headerLength);
    for (std::size_t k = 1;
         k <= static_cast<std::size_t>(slot.frames) && k < std::min(header, m_image.size()); ++k) {
        slot.delays.push_back(m_image[k]);
    }
    const std::size_t frameBytes = static_cast<std::size_t>(m_width) * m_height * 2;
    if (frameBytes == 0) {
        return;
    }
    for (int k = 0; k < slot.frames; ++k) {
        const std::size_t offset = header + static_cast<std::size_t>(k) * frameBytes;
        if (offset + frameBytes > m_image.size()) {
            break;  // the image ended before this frame: the screen shows no more
        }
        const std::uint8_t* frame = m_image.data() + offset;
        slot.frameHashes.push_back(Fnv1a(kFnvOffset, frame, frameBytes));
        if (k == 0) {
            slot.firstFrame.assign(frame, frame + frameBytes);
        }
    }
}

}  // namespace zephyl::virtualhid
