// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/DeviceChange.h"

#include <map>
#include <mutex>
#include <string>
#include <thread>

struct udev;
struct udev_device;
struct udev_monitor;

namespace zephyl {

/// USB, Bluetooth: the bus numbers of HID_ID that matter here.
inline constexpr int kBusUsb = 0x03;
inline constexpr int kBusBluetooth = 0x05;

/// Reads a HID_ID property ("0003:00001209:00005A10": bus, vendor, product in hexadecimal).
bool ParseHidId(const std::string& text, int& bus, int& vid, int& pid);

/// The interface text a notification carries, upper case: for USB, "HID", "VID_1209&PID_5A10&MI_01"
/// and "HIDRAW3" joined by backslashes (without "&MI_xx" when the interface number is unknown,
/// −1). A Bluetooth device gets the Bluetooth LE HID service in its path, so the matching rules
/// ignore it.
std::string SynthesiseInterfacePath(int bus, int vid, int pid, int interfaceNumber,
                                    const std::string& sysname);

/// Plug notifications of real keyboards: a udev monitor on the hidraw subsystem.
class UdevChangeSource final : public DeviceChangeSource {
public:
    UdevChangeSource() = default;
    ~UdevChangeSource() override;

    bool Start(DeviceChangeSubscriber* subscriber) override;
    void Stop() override;

private:
    void Run();
    void Handle(udev_device* device);
    /// The interface text of a present hidraw device; empty when it is not a HID device.
    static std::string PathOf(udev_device* device);

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    int m_wakeFd = -1;
    DeviceChangeSubscriber* m_subscriber = nullptr;
    std::thread m_thread;
    /// Interface texts of the present nodes by sysname: a removed node's parents are gone from
    /// sysfs by the time its removal arrives, so its text is remembered from before.
    std::map<std::string, std::string> m_known;
};

}  // namespace zephyl
