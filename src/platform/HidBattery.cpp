// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/HidBattery.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace zephyl {

std::optional<int> ReadBluetoothBatteryLevel(int vid, int pid, const std::string& sysRoot) {
    namespace fs = std::filesystem;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "0005:%04X:%04X.", vid & 0xFFFF, pid & 0xFFFF);
    std::error_code error;
    const fs::path supplies = fs::path(sysRoot) / "class" / "power_supply";
    for (fs::directory_iterator it(supplies, error), end; !error && it != end;
         it.increment(error)) {
        // The supply's device link leads into the HID device that owns it.
        const fs::path device = fs::canonical(it->path() / "device", error);
        if (error) {
            error.clear();
            continue;
        }
        bool ours = false;
        for (const auto& part : device) {
            ours = ours || part.string().rfind(prefix, 0) == 0;
        }
        if (!ours) {
            continue;
        }
        std::ifstream capacity(it->path() / "capacity");
        int level = -1;
        if (capacity >> level && level > 0) {
            return std::min(level, 100);
        }
    }
    return std::nullopt;
}

}  // namespace zephyl
