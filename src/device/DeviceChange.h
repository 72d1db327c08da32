// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/DeviceCatalogue.h"

#include <memory>
#include <string>
#include <vector>

namespace zephyl {

class HidLibrary;

/// An interface arrived or was removed. The path is the Windows-style interface text
/// "HID\VID_%04X&PID_%04X&MI_%02X\<name>" that config.xml's `hid_interface` patterns are written
/// against.
struct DeviceChange {
    std::string path;
    bool arrived = false;
};

/// Receives plug notifications, on the notifying source's own thread.
class DeviceChangeSubscriber {
public:
    virtual ~DeviceChangeSubscriber() = default;
    virtual void OnDeviceChange(const DeviceChange& change) = 0;
};

/// A source of plug notifications running on a thread of its own.
class DeviceChangeSource {
public:
    virtual ~DeviceChangeSource() = default;
    /// Starts delivering to `subscriber` (which must outlive Stop); false when it cannot watch.
    virtual bool Start(DeviceChangeSubscriber* subscriber) = 0;
    /// Stops the thread; no delivery happens after it returns.
    virtual void Stop() = 0;
};

/// The source that goes with the loaded HID library: the virtual keyboard's own notifications
/// when the virtual keyboard is loaded, else the udev monitor.
std::unique_ptr<DeviceChangeSource> MakeDeviceChangeSource(const HidLibrary& library);

/// Text in the interface path of a Bluetooth LE HID device, whose notifications are ignored.
inline constexpr const char* kBluetoothLeHidService = "00001812-0000-1000-8000-00805F9B34FB";

/// Worker commands a plug notification leads to.
inline constexpr int kCommandDeviceArrival = 2;
inline constexpr int kCommandDeviceRemoval = 3;

/// The mode record a notification is about: for an arrival the first whose non-empty interface
/// pattern occurs in the upper-cased path, for a removal the first marked connected whose pattern
/// occurs in it (an empty pattern occurs in every path). −1 when none matches or the path is a
/// Bluetooth LE HID one.
int MatchDeviceChange(const std::vector<KeyboardMode>& modes, const DeviceChange& change);

/// What the window does with a notification: the worker command to post (arrival 2, removal 3,
/// 0 for nothing); a removal also clears the matched mode's connected flag. The caller
/// serialises access to `modes` with the worker's refresh.
int DeviceChangeCommand(std::vector<KeyboardMode>& modes, const DeviceChange& change);

}  // namespace zephyl
