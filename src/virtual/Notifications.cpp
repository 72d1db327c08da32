// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/Notifications.h"

#include <algorithm>

namespace zephyl::virtualhid {

namespace {

constexpr std::uint8_t kConnectionNotice = 0xA6;
constexpr std::uint8_t kActionNotice = 0x01;

Bytes Notice(std::uint8_t first, std::uint8_t second, std::uint8_t third) {
    Bytes report(kNotificationBytes, 0);
    report[0] = first;
    report[1] = second;
    report[2] = third;
    return report;
}

}  // namespace

Bytes WakeNotice() {
    return Notice(kConnectionNotice, 0xFF, 0x01);
}

Bytes SleepNotice() {
    return Notice(kConnectionNotice, 0xFE, 0x02);
}

Bytes ActionNotice(int action) {
    return Notice(kActionNotice, static_cast<std::uint8_t>(action & 0xFF), 0x00);
}

int HostActionOfKey(const ModelInfo& model, const KeyboardMemory& memory, int keyCode, int layer) {
    if (layer < 0 || layer > 1) {
        return -1;
    }
    const KeyInfo* key = model.FindKey(keyCode);
    if (!key) {
        return -1;
    }
    // A layout without any key index puts every key in slot 0.
    const bool anyIndex = std::any_of(model.keys.begin(), model.keys.end(),
                                      [](const KeyInfo& k) { return k.keyIndex >= 0; });
    const int slot = anyIndex ? key->keyIndex : 0;
    const Bytes& table = memory.keyTables[static_cast<std::size_t>(layer)];
    if (slot < 0 || static_cast<std::size_t>(4 * slot + 3) >= table.size()) {
        return -1;
    }
    const std::size_t at = static_cast<std::size_t>(4 * slot);
    if (table[at] != 0x05 || table[at + 1] != 0x02) {
        return -1;
    }
    return table[at + 2];
}

}  // namespace zephyl::virtualhid
