// SPDX-License-Identifier: GPL-2.0-or-later
#include "FakeKeyboard.h"

#include "catalogue/DeviceCatalogue.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace zephyl::test {
namespace {

FakeKeyboard* g_current = nullptr;

constexpr uint16_t kCablePid = 0x5A10;
constexpr uint16_t kReceiverPid = 0x5A12;

/// A vendor collection with reports of the given data sizes (0 = none).
std::vector<uint8_t> VendorDescriptor(uint16_t page, uint8_t usage, int inputBytes, int outputBytes,
                                      int featureBytes, uint8_t reportId = 0) {
    std::vector<uint8_t> d = {
        0x06, static_cast<uint8_t>(page & 0xFF), static_cast<uint8_t>(page >> 8), 0x09, usage, 0xA1,
        0x01};
    if (reportId != 0) {
        d.insert(d.end(), {0x85, reportId});
    }
    d.insert(d.end(), {0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08});
    const std::pair<int, uint8_t> items[] = {
        {inputBytes, 0x81}, {outputBytes, 0x91}, {featureBytes, 0xB1}};
    for (const auto& [bytes, main] : items) {
        if (bytes > 0) {
            d.insert(d.end(), {0x96, static_cast<uint8_t>(bytes & 0xFF),
                               static_cast<uint8_t>(bytes >> 8), 0x09, usage, main, 0x02});
        }
    }
    d.push_back(0xC0);
    return d;
}

}  // namespace

FakeKeyboard::FakeKeyboard(bool receiver, bool notifications)
    : m_previous(g_current), m_receiver(receiver), m_hasNotifications(notifications) {
    g_current = this;
}

FakeKeyboard::~FakeKeyboard() {
    g_current = m_previous;
}

HidApi FakeKeyboard::Table() {
    HidApi api;
    api.enumerate = [](unsigned short, unsigned short) { return g_current->Enumerate(); };
    api.free_enumeration = [](hid_device_info* list) {
        while (list) {
            hid_device_info* next = list->next;
            free(list->path);
            free(list->product_string);
            delete list;
            list = next;
        }
    };
    api.open_path = [](const char* path) { return g_current->Open(path); };
    api.close = [](hid_device*) {};
    api.send_feature_report = [](hid_device*, const unsigned char* data, size_t length) {
        return g_current->SendFeature(data, length);
    };
    api.get_feature_report = [](hid_device*, unsigned char* data, size_t length) {
        return g_current->GetFeature(data, length);
    };
    api.write = [](hid_device*, const unsigned char* data, size_t length) {
        return g_current->Write(data, length);
    };
    api.read_timeout = [](hid_device* device, unsigned char* data, size_t length, int timeout) {
        return g_current->Read(device, data, length, timeout);
    };
    api.get_report_descriptor = [](hid_device* device, unsigned char* buffer, size_t size) {
        return g_current->Descriptor(device, buffer, size);
    };
    return api;
}

hid_device_info* FakeKeyboard::Enumerate() {
    hid_device_info* notification = nullptr;
    if (m_hasNotifications) {
        notification = new hid_device_info{};
        notification->path = strdup("notify");
        notification->vendor_id = 0x1209;
        notification->product_id = m_receiver ? kReceiverPid : kCablePid;
        notification->product_string = wcsdup(L"");
        notification->usage_page = 0xFFFF;
        notification->usage = 0x01;
        notification->interface_number = 2;
        notification->bus_type = HID_API_BUS_USB;
    }
    auto* info = new hid_device_info{};
    info->next = notification;
    info->path = strdup(m_receiver ? "receiver" : "cable");
    info->vendor_id = 0x1209;
    info->product_id = m_receiver ? kReceiverPid : kCablePid;
    info->release_number = 0x0106;
    info->product_string = wcsdup(L"");
    info->usage_page = 0xFF00;
    info->usage = m_receiver ? 0x02 : 0x01;
    info->interface_number = 1;
    info->bus_type = HID_API_BUS_USB;
    return info;
}

hid_device* FakeKeyboard::Open(const char* path) {
    return reinterpret_cast<hid_device*>(std::string(path) == "notify" ? &m_notificationHandle
                                                                       : &m_handle);
}

int FakeKeyboard::SendFeature(const unsigned char* data, size_t length) {
    m_lastFeature.assign(data, data + length);
    m_sent.emplace_back(data + 1, data + length);
    return static_cast<int>(length);
}

int FakeKeyboard::GetFeature(unsigned char* data, size_t length) {
    unsigned char report[65] = {};
    for (size_t i = 1; i < 4 && i < m_lastFeature.size(); ++i) {
        report[i] = m_lastFeature[i];
    }
    report[4] = m_refuseAll ? 0 : 1;
    const size_t count = std::min(length, sizeof report);
    std::memcpy(data, report, count);
    return static_cast<int>(count);  // hidraw counts the report-id byte
}

int FakeKeyboard::Write(const unsigned char* data, size_t length) {
    m_sent.emplace_back(data + 1, data + length);
    if (m_refuseAll) {
        return static_cast<int>(length);
    }
    if (m_unansweredFrames > 0) {
        --m_unansweredFrames;
        return static_cast<int>(length);
    }
    std::vector<uint8_t> answer(32, 0);
    answer[0] = data[1];
    answer[1] = data[2];
    answer[2] = data[3];
    m_answers.push_back(answer);
    return static_cast<int>(length);
}

int FakeKeyboard::Read(hid_device* device, unsigned char* data, size_t length, int timeoutMs) {
    auto& queue = device == reinterpret_cast<hid_device*>(&m_notificationHandle) ? m_notifications
                                                                                 : m_answers;
    if (queue.empty()) {
        m_clock->m_now += static_cast<uint64_t>(std::max(timeoutMs, 0));
        return 0;
    }
    const std::vector<uint8_t> answer = queue.front();
    queue.pop_front();
    const size_t count = std::min(length, answer.size());
    std::memcpy(data, answer.data(), count);
    return static_cast<int>(count);
}

int FakeKeyboard::Descriptor(hid_device* device, unsigned char* buffer, size_t size) {
    std::vector<uint8_t> d = m_receiver ? VendorDescriptor(0xFF00, 0x02, 32, 32, 0)
                                        : VendorDescriptor(0xFF00, 0x01, 0, 0, 64);
    if (device == reinterpret_cast<hid_device*>(&m_notificationHandle)) {
        d = VendorDescriptor(0xFFFF, 0x01, 64, 0, 0, 0x05);
    }
    const size_t count = std::min(size, d.size());
    std::memcpy(buffer, d.data(), count);
    return static_cast<int>(count);
}

FakeTransport::FakeTransport(bool receiver)
    : keyboard(receiver), manager(HidLibrary::FromTable(FakeKeyboard::Table()), keyboard.Clock()) {
    manager.AddKnownDevice(0x1209, kCablePid, "", 101, kModeCable);
    manager.AddKnownDevice(0x1209, kReceiverPid, "", 101, kModeReceiver);
    manager.Reopen();
    manager.SetSelectedDeviceType(101);
    keyboard.m_sent.clear();  // the receiver's handshake
}

}  // namespace zephyl::test
