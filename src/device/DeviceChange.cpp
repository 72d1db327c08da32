// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/DeviceChange.h"

#include "device/HidLibrary.h"
#include "device/UdevChangeSource.h"
#include "device/VirtualChangeSource.h"

#include <algorithm>
#include <cctype>

namespace zephyl {

namespace {

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

int MatchDeviceChange(const std::vector<KeyboardMode>& modes, const DeviceChange& change) {
    const std::string path = UpperCase(change.path);
    if (path.find(kBluetoothLeHidService) != std::string::npos) {
        return -1;
    }
    for (size_t i = 0; i < modes.size(); ++i) {
        const KeyboardMode& mode = modes[i];
        // Arrivals skip records without a pattern; removals look only at connected records
        // (where an empty pattern occurs in every path).
        if (change.arrived ? mode.interfacePattern.empty() : mode.connected == 0) {
            continue;
        }
        if (path.find(mode.interfacePattern) != std::string::npos) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DeviceChangeCommand(std::vector<KeyboardMode>& modes, const DeviceChange& change) {
    const int index = MatchDeviceChange(modes, change);
    if (index < 0) {
        return 0;
    }
    if (change.arrived) {
        return kCommandDeviceArrival;
    }
    modes[static_cast<size_t>(index)].connected = 0;
    return kCommandDeviceRemoval;
}

std::unique_ptr<DeviceChangeSource> MakeDeviceChangeSource(const HidLibrary& library) {
    if (auto source = VirtualChangeSource::ForLibrary(library)) {
        return source;
    }
    return std::make_unique<UdevChangeSource>();
}

}  // namespace zephyl
