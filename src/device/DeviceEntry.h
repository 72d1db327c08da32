// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/DeviceCatalogue.h"
#include "device/ReportDescriptor.h"

#include <hidapi/hidapi.h>

#include <cstdint>
#include <string>

namespace zephyl {

/// One opened HID interface of a known keyboard.
struct DeviceEntry {
    uint16_t vid = 0;
    uint16_t pid = 0;
    std::string path;     ///< as enumerated
    std::string product;  ///< HID product string, UTF-8
    /// The open handle. It belongs to the device manager: copies handed out carry none.
    hid_device* device = nullptr;
    uint16_t release = 0;  ///< bcdDevice
    int deviceType = 0;    ///< model id from the known-device table
    int connectionMode = kModeNone;
    int usable = 0;  ///< 1 when the connection may be treated as ready
    HidCapabilities capabilities;
};

}  // namespace zephyl
