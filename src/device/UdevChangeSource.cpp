// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/UdevChangeSource.h"

#include "platform/Log.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace zephyl {

bool ParseHidId(const std::string& text, int& bus, int& vid, int& pid) {
    unsigned int b = 0;
    unsigned int v = 0;
    unsigned int p = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%x:%x:%x%c", &b, &v, &p, &tail) != 3 || v > 0xFFFF ||
        p > 0xFFFF || b > 0xFFFF) {
        return false;
    }
    bus = static_cast<int>(b);
    vid = static_cast<int>(v);
    pid = static_cast<int>(p);
    return true;
}

std::string SynthesiseInterfacePath(int bus, int vid, int pid, int interfaceNumber,
                                    const std::string& sysname) {
    char head[96];
    if (bus == kBusBluetooth) {
        std::snprintf(head, sizeof head, "HID\\{%s}_DEV_VID&%04X_PID&%04X", kBluetoothLeHidService,
                      vid & 0xFFFF, pid & 0xFFFF);
    } else if (interfaceNumber >= 0) {
        std::snprintf(head, sizeof head, "HID\\VID_%04X&PID_%04X&MI_%02X", vid & 0xFFFF,
                      pid & 0xFFFF, interfaceNumber & 0xFF);
    } else {
        std::snprintf(head, sizeof head, "HID\\VID_%04X&PID_%04X", vid & 0xFFFF, pid & 0xFFFF);
    }
    std::string path = std::string(head) + "\\" + sysname;
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return path;
}

UdevChangeSource::~UdevChangeSource() {
    Stop();
}

std::string UdevChangeSource::PathOf(udev_device* device) {
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    const char* hidId = hid ? udev_device_get_property_value(hid, "HID_ID") : nullptr;
    int bus = 0;
    int vid = 0;
    int pid = 0;
    if (!hidId || !ParseHidId(hidId, bus, vid, pid)) {
        return {};
    }
    int interfaceNumber = -1;
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface")) {
        if (const char* number = udev_device_get_sysattr_value(usb, "bInterfaceNumber")) {
            interfaceNumber = static_cast<int>(std::strtol(number, nullptr, 16));
        }
    }
    const char* sysname = udev_device_get_sysname(device);
    return SynthesiseInterfacePath(bus, vid, pid, interfaceNumber, sysname ? sysname : "");
}

bool UdevChangeSource::Start(DeviceChangeSubscriber* subscriber) {
    if (m_thread.joinable() || !subscriber) {
        return false;
    }
    m_udev = udev_new();
    if (!m_udev) {
        return false;
    }
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (!m_monitor || m_wakeFd < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        Log(kLogWarning, "cannot watch hidraw devices; plug events will not be seen");
        Stop();
        return false;
    }

    // Remember the interfaces present now, so their removal can be named.
    if (udev_enumerate* enumerate = udev_enumerate_new(m_udev)) {
        udev_enumerate_add_match_subsystem(enumerate, "hidraw");
        udev_enumerate_scan_devices(enumerate);
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            udev_device* device =
                udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
            if (!device) {
                continue;
            }
            const std::string path = PathOf(device);
            if (!path.empty()) {
                m_known[udev_device_get_sysname(device)] = path;
            }
            udev_device_unref(device);
        }
        udev_enumerate_unref(enumerate);
    }

    m_subscriber = subscriber;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void UdevChangeSource::Stop() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_wakeFd, &one, sizeof one);
        m_thread.join();
    }
    if (m_wakeFd >= 0) {
        close(m_wakeFd);
        m_wakeFd = -1;
    }
    if (m_monitor) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    if (m_udev) {
        udev_unref(m_udev);
        m_udev = nullptr;
    }
    m_subscriber = nullptr;
    m_known.clear();
}

void UdevChangeSource::Run() {
    pollfd fds[2] = {{udev_monitor_get_fd(m_monitor), POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            continue;  // interrupted by a signal
        }
        if (fds[1].revents) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            if (udev_device* device = udev_monitor_receive_device(m_monitor)) {
                Handle(device);
                udev_device_unref(device);
            }
        }
    }
}

void UdevChangeSource::Handle(udev_device* device) {
    const char* action = udev_device_get_action(device);
    const char* sysname = udev_device_get_sysname(device);
    if (!action || !sysname) {
        return;
    }
    const std::string actionText = action;
    DeviceChange change;
    if (actionText == "add") {
        change.path = PathOf(device);
        change.arrived = true;
        if (change.path.empty()) {
            return;
        }
        m_known[sysname] = change.path;
    } else if (actionText == "remove") {
        const auto known = m_known.find(sysname);
        if (known == m_known.end()) {
            return;
        }
        change.path = known->second;
        m_known.erase(known);
    } else {
        return;
    }
    m_subscriber->OnDeviceChange(change);
}

}  // namespace zephyl
