// SPDX-License-Identifier: GPL-2.0-or-later
#include "FakeHid.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>

namespace zephyl::test {

namespace {

FakeHid* g_current = nullptr;

void Put16(std::vector<uint8_t>& d, uint8_t prefix, int value) {
    d.push_back(prefix);
    d.push_back(static_cast<uint8_t>(value & 0xFF));
    d.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

void FakeClock::Sleep(int milliseconds) {
    m_sleeps.push_back(milliseconds);
    m_now += static_cast<uint64_t>(std::max(milliseconds, 0));
}

std::vector<uint8_t> VendorDescriptor(uint16_t usagePage, uint8_t usage, int inputBytes,
                                      int outputBytes, int featureBytes, uint8_t reportId) {
    std::vector<uint8_t> d;
    Put16(d, 0x06, usagePage);         // Usage Page
    d.insert(d.end(), {0x09, usage});  // Usage
    d.insert(d.end(), {0xA1, 0x01});   // Collection (Application)
    if (reportId) {
        d.insert(d.end(), {0x85, reportId});  // Report ID
    }
    d.insert(d.end(), {0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08});  // 0..255, 8 bits
    const std::pair<int, uint8_t> items[] = {
        {inputBytes, 0x81}, {outputBytes, 0x91}, {featureBytes, 0xB1}};
    for (const auto& [bytes, main] : items) {
        if (bytes > 0) {
            Put16(d, 0x96, bytes);  // Report Count
            d.insert(d.end(), {0x09, usage, main, 0x02});
        }
    }
    d.push_back(0xC0);
    return d;
}

FakeInterface CableInterface(uint16_t pid, const std::string& path, uint16_t release) {
    FakeInterface i;
    i.pid = pid;
    i.path = path;
    i.release = release;
    i.usagePage = 0xFF00;
    i.usage = 0x01;
    i.descriptor = VendorDescriptor(0xFF00, 0x01, 0, 0, 64);
    return i;
}

FakeInterface ReceiverInterface(uint16_t pid, const std::string& path) {
    FakeInterface i;
    i.pid = pid;
    i.path = path;
    i.usagePage = 0xFF00;
    i.usage = 0x02;
    i.descriptor = VendorDescriptor(0xFF00, 0x02, 32, 32, 0);
    return i;
}

FakeInterface NotificationInterface(uint16_t pid, const std::string& path) {
    FakeInterface i;
    i.pid = pid;
    i.path = path;
    i.usagePage = 0xFFFF;
    i.usage = 0x01;
    i.descriptor = VendorDescriptor(0xFFFF, 0x01, 64, 0, 0, 0x05);
    return i;
}

FakeInterface BulkInterface(uint16_t pid, const std::string& path) {
    FakeInterface i;
    i.pid = pid;
    i.path = path;
    i.usagePage = 0xFF00;
    i.usage = 0x03;
    i.descriptor = VendorDescriptor(0xFF00, 0x03, 0, 4096, 0);
    return i;
}

struct FakeHid::Handle {
    const FakeInterface* interface = nullptr;
    bool open = true;
    bool dead = false;
    std::vector<uint8_t> lastSent;
    int blockAnswersLeft = 0;
    int blockIndex = 0;
    std::deque<std::vector<uint8_t>> answers;
};

FakeHid::FakeHid() : m_previous(g_current) {
    g_current = this;
}

FakeHid::~FakeHid() {
    g_current = m_previous;
}

HidApi FakeHid::Table() {
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
    api.open_path = [](const char* path) { return g_current->OpenPath(path); };
    api.close = [](hid_device* device) { g_current->Close(device); };
    api.send_feature_report = [](hid_device* device, const unsigned char* data, size_t length) {
        return g_current->SendFeature(device, data, length);
    };
    api.get_feature_report = [](hid_device* device, unsigned char* data, size_t length) {
        return g_current->GetFeature(device, data, length);
    };
    api.write = [](hid_device* device, const unsigned char* data, size_t length) {
        return g_current->Write(device, data, length);
    };
    api.read_timeout = [](hid_device* device, unsigned char* data, size_t length, int timeout) {
        return g_current->Read(device, data, length, timeout);
    };
    api.get_report_descriptor = [](hid_device* device, unsigned char* buffer, size_t size) {
        return g_current->Descriptor(device, buffer, size);
    };
    return api;
}

void FakeHid::Unplug() {
    m_unplugged = true;
    for (auto& handle : m_handles) {
        handle->dead = true;
    }
}

void FakeHid::Replug() {
    m_unplugged = false;
}

std::vector<FakeOp> FakeHid::Ops(const std::string& op) const {
    std::vector<FakeOp> out;
    std::copy_if(m_ops.begin(), m_ops.end(), std::back_inserter(out),
                 [&op](const FakeOp& o) { return o.op == op; });
    return out;
}

int FakeHid::OpenHandles() const {
    return static_cast<int>(
        std::count_if(m_handles.begin(), m_handles.end(), [](const auto& h) { return h->open; }));
}

FakeHid::Handle* FakeHid::Find(hid_device* device) {
    auto* handle = reinterpret_cast<Handle*>(device);
    for (auto& h : m_handles) {
        if (h.get() == handle && h->open) {
            return h.get();
        }
    }
    return nullptr;
}

hid_device_info* FakeHid::Enumerate() {
    if (m_unplugged) {
        return nullptr;
    }
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const FakeInterface& i : m_interfaces) {
        auto* info = new hid_device_info{};
        info->path = strdup(i.path.c_str());
        info->vendor_id = i.vid;
        info->product_id = i.pid;
        info->release_number = i.release;
        info->product_string = wcsdup(i.product.c_str());
        info->usage_page = i.usagePage;
        info->usage = i.usage;
        info->interface_number = 1;
        info->bus_type = HID_API_BUS_USB;
        *tail = info;
        tail = &info->next;
    }
    return head;
}

hid_device* FakeHid::OpenPath(const char* path) {
    if (m_unplugged) {
        return nullptr;
    }
    for (const FakeInterface& i : m_interfaces) {
        if (i.path == path && i.openable) {
            m_handles.push_back(std::make_unique<Handle>());
            m_handles.back()->interface = &i;
            return reinterpret_cast<hid_device*>(m_handles.back().get());
        }
        if (i.path == path && i.openErrno != 0) {
            errno = i.openErrno;
        }
    }
    return nullptr;
}

void FakeHid::Close(hid_device* device) {
    if (Handle* handle = Find(device)) {
        handle->open = false;
    }
}

int FakeHid::SendFeature(hid_device* device, const unsigned char* data, size_t length) {
    Handle* handle = Find(device);
    if (!handle || handle->dead) {
        return -1;
    }
    m_clock->Advance(m_sendCostMs);
    if (m_failSends > 0) {
        --m_failSends;
        return -1;
    }
    m_ops.push_back({"set_feature", handle->interface->path, {data, data + length}});
    handle->lastSent.assign(data, data + length);
    handle->blockAnswersLeft = length > 2 && data[1] == 0x04 && data[2] == 0xF5 ? 9 : 0;
    handle->blockIndex = 0;
    if (++m_sends == m_unplugAfterSends) {
        Unplug();
    }
    return static_cast<int>(length);
}

int FakeHid::GetFeature(hid_device* device, unsigned char* data, size_t length) {
    Handle* handle = Find(device);
    if (!handle || handle->dead) {
        return -1;
    }
    m_clock->Advance(m_featureReadCostMs);
    if (m_failFeatureReads > 0) {
        --m_failFeatureReads;
        return -1;
    }
    unsigned char report[65] = {};
    const bool statusRead = handle->blockIndex == 0;
    if (!statusRead && handle->blockAnswersLeft > 0) {
        std::memset(report + 1, handle->blockIndex, 64);
        --handle->blockAnswersLeft;
    } else {
        for (size_t i = 1; i < 4 && i < handle->lastSent.size(); ++i) {
            report[i] = handle->lastSent[i];
        }
        report[4] = 1;
        if (!m_statuses.empty()) {
            report[4] = m_statuses.front();
            m_statuses.pop_front();
        }
    }
    ++handle->blockIndex;
    const size_t count = std::min(length, sizeof report);
    std::memcpy(data, report, count);
    m_ops.push_back({"get_feature", handle->interface->path, {data, data + count}});
    return static_cast<int>(count);  // hidraw counts the report-id byte
}

int FakeHid::Write(hid_device* device, const unsigned char* data, size_t length) {
    Handle* handle = Find(device);
    if (!handle || handle->dead) {
        return -1;
    }
    if (m_failWrites > 0) {
        --m_failWrites;
        return -1;
    }
    m_ops.push_back({"write", handle->interface->path, {data, data + length}});
    if (handle->interface->usage != 0x02 || length < 4 || !handle->interface->answersReceiver) {
        return static_cast<int>(length);
    }
    if (m_lostAnswers > 0) {
        --m_lostAnswers;
        return static_cast<int>(length);
    }
    for (int i = 0; i < m_nonEchoBeforeAnswer; ++i) {
        std::vector<uint8_t> stray(32, 0);
        stray[0] = static_cast<uint8_t>(data[1] + 1);
        handle->answers.push_back(stray);
    }
    std::vector<uint8_t> answer(32, 0);  // hidraw: no report-id byte in front
    answer[0] = data[1];
    answer[1] = data[2];
    answer[2] = data[3];
    answer[3] = m_replyByte;
    answer[31] = 0xEE;
    handle->answers.push_back(answer);
    return static_cast<int>(length);
}

int FakeHid::Read(hid_device* device, unsigned char* data, size_t length, int timeoutMs) {
    Handle* handle = Find(device);
    if (!handle || handle->dead) {
        return -1;
    }
    std::deque<std::vector<uint8_t>>& queue =
        handle->interface->usagePage == 0xFFFF ? m_notifications : handle->answers;
    if (queue.empty()) {
        m_clock->Advance(static_cast<uint64_t>(std::max(timeoutMs, 0)));
        m_ops.push_back({"read", handle->interface->path, {}});
        return 0;
    }
    const std::vector<uint8_t> report = queue.front();
    queue.pop_front();
    const size_t count = std::min(length, report.size());
    std::memcpy(data, report.data(), count);
    m_ops.push_back({"read", handle->interface->path, report});
    return static_cast<int>(count);
}

int FakeHid::Descriptor(hid_device* device, unsigned char* buffer, size_t size) {
    Handle* handle = Find(device);
    if (!handle) {
        return -1;
    }
    const auto& d = handle->interface->descriptor;
    const size_t count = std::min(size, d.size());
    std::memcpy(buffer, d.data(), count);
    return static_cast<int>(count);
}

}  // namespace zephyl::test
