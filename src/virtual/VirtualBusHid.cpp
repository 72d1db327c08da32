// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/VirtualBus.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <thread>

// The hidapi calls behave as hidapi's hidraw back end does on Linux: a get-feature request
// returns the byte count including the report id; a read hands back the report as the device
// sent it, so a report id is there only on an interface that numbers its reports (the
// notification interface); a write must start with the interface's report id (0 when it has
// none). Calls on a handle whose device was unplugged fail with -1.

namespace zephyl::virtualhid {

namespace {

wchar_t* DuplicateWide(const std::string& text) {
    // The strings are ASCII or UTF-8 from config.xml; decode UTF-8 so names survive intact.
    std::wstring wide;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        if (i + extra >= text.size()) {
            break;
        }
        std::uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        wide += static_cast<wchar_t>(code);
        i += extra + 1;
    }
    auto* copy = static_cast<wchar_t*>(std::calloc(wide.size() + 1, sizeof(wchar_t)));
    if (copy) {
        std::wmemcpy(copy, wide.c_str(), wide.size());
    }
    return copy;
}

int CopyWide(const wchar_t* source, wchar_t* target, std::size_t maxLength) {
    if (!source || !target || maxLength == 0) {
        return -1;
    }
    std::wcsncpy(target, source, maxLength);
    target[maxLength - 1] = L'\0';
    return 0;
}

}  // namespace

int VirtualBus::Init() {
    Lock lock(m_mutex);
    EnsureLoaded();
    return 0;
}

bool VirtualBus::Usable(hid_device* device) {
    if (!device || m_handles.count(device) == 0) {
        m_error = L"Invalid device handle";
        return false;
    }
    if (!device->iface->present) {
        Fail(device, L"The device has been disconnected");
        return false;
    }
    device->error = L"Success";
    return true;
}

void VirtualBus::Fail(hid_device* device, const wchar_t* reason) {
    if (device && m_handles.count(device) != 0) {
        device->error = reason;
    }
    m_error = reason;
}

void VirtualBus::LogReport(const InterfaceInstance& iface, const char* operation,
                           const std::uint8_t* data, std::size_t length) {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_origin).count();
    m_log.Write(elapsed, InterfaceLogName(iface.shape.kind), operation, data, length,
                iface.deviceType, iface.mode);
}

void VirtualBus::AfterReport(const std::shared_ptr<InterfaceInstance>& iface, Outcome outcome) {
    ++m_reports;
    if (iface->present) {
        m_active = iface->keyboard;
    }
    if (outcome.changed) {
        WriteStateFile();
    }
    bool unplug = m_faults.CountReport();
    if (outcome.blockReport && m_faults.CountBlockReport()) {
        unplug = true;
    }
    if (unplug && iface->present) {
        Unplug(*iface->keyboard, iface->mode);
    }
    RunDueEvents();
}

hid_device_info* VirtualBus::MakeInfo(const InterfaceInstance& iface) const {
    auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
    if (!info) {
        return nullptr;
    }
    const ModeInfo* mode = iface.keyboard ? iface.keyboard->model.FindMode(iface.mode) : nullptr;
    info->path = strdup(iface.path.c_str());
    info->vendor_id = static_cast<unsigned short>(mode ? mode->vid : 0);
    info->product_id = static_cast<unsigned short>(mode ? mode->pid : 0);
    info->serial_number = DuplicateWide(iface.serial);
    info->release_number = static_cast<unsigned short>(iface.release);
    info->manufacturer_string = DuplicateWide("Zephyl");
    info->product_string = DuplicateWide(iface.product);
    info->usage_page = iface.shape.usagePage;
    info->usage = iface.shape.usage;
    // hidraw knows interface numbers of USB devices only.
    info->interface_number = iface.mode == 1 ? -1 : iface.shape.number;
    info->bus_type = iface.mode == 1 ? HID_API_BUS_BLUETOOTH : HID_API_BUS_USB;
    info->next = nullptr;
    return info;
}

hid_device_info* VirtualBus::Enumerate(unsigned short vendorId, unsigned short productId) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    hid_device_info* first = nullptr;
    hid_device_info* last = nullptr;
    for (const auto& iface : m_interfaces) {
        const ModeInfo* mode = iface->keyboard->model.FindMode(iface->mode);
        if (!mode || (vendorId != 0 && mode->vid != vendorId) ||
            (productId != 0 && mode->pid != productId)) {
            continue;
        }
        hid_device_info* info = MakeInfo(*iface);
        if (!info) {
            break;
        }
        (last ? last->next : first) = info;
        last = info;
    }
    if (!first) {
        m_error = L"No HID devices found";
    }
    return first;
}

void VirtualBus::FreeEnumeration(hid_device_info* devices) {
    while (devices) {
        hid_device_info* next = devices->next;
        std::free(devices->path);
        std::free(devices->serial_number);
        std::free(devices->manufacturer_string);
        std::free(devices->product_string);
        std::free(devices);
        devices = next;
    }
}

hid_device* VirtualBus::OpenPath(const char* path) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    for (const auto& iface : m_interfaces) {
        if (path && iface->path == path) {
            if (iface->keyboard->openRefused) {
                // What hidapi's hidraw back end leaves when open(2) of the node is refused.
                m_error = L"Permission denied";
                errno = EACCES;
                return nullptr;
            }
            auto* device = new hid_device_;
            device->iface = iface;
            m_handles.insert(device);
            return device;
        }
    }
    m_error = L"No such device";
    return nullptr;
}

hid_device* VirtualBus::Open(unsigned short vendorId, unsigned short productId,
                             const wchar_t* serial) {
    std::string path;
    {
        Lock lock(m_mutex);
        EnsureLoaded();
        RunDueEvents();
        for (const auto& iface : m_interfaces) {
            const ModeInfo* mode = iface->keyboard->model.FindMode(iface->mode);
            const bool serialMatches =
                !serial || std::wstring(iface->serial.begin(), iface->serial.end()) == serial;
            if (mode && mode->vid == vendorId && mode->pid == productId && serialMatches) {
                path = iface->path;
                break;
            }
        }
        if (path.empty()) {
            m_error = L"No such device";
            return nullptr;
        }
    }
    return OpenPath(path.c_str());
}

void VirtualBus::Close(hid_device* device) {
    Lock lock(m_mutex);
    if (!device || m_handles.erase(device) == 0) {
        return;
    }
    FreeEnumeration(device->info);
    delete device;
    m_inputArrived.notify_all();
}

VirtualBus::Outcome VirtualBus::TakeReceiverFrame(InterfaceInstance& iface, const Bytes& frame) {
    VirtualKeyboard& keyboard = *iface.keyboard;
    ProtocolContext context{keyboard.model, keyboard.memory, keyboard.status, m_faults};
    Bytes answer;
    if (keyboard.receiver.Frame(frame.data(), context, answer) && !m_faults.TakeLostAnswer()) {
        const int delay = m_faults.SlowMilliseconds();
        if (m_faults.TakeNoEcho()) {
            Bytes stray = answer;
            stray[0] = static_cast<std::uint8_t>(stray[0] ^ 0x80);
            Enqueue(iface, stray, delay);
        }
        Enqueue(iface, answer, delay);
    }
    return {context.changed, context.blockReport};
}

VirtualBus::Outcome VirtualBus::TakeBulkBlock(InterfaceInstance& iface, const Bytes& report) {
    VirtualKeyboard& keyboard = *iface.keyboard;
    ProtocolContext context{keyboard.model, keyboard.memory, keyboard.status, m_faults};
    const Bytes answer = keyboard.CableFor(iface.mode).BulkBlock(report.data() + 1, context);
    Enqueue(iface, answer, m_faults.SlowMilliseconds());
    return {context.changed, context.blockReport};
}

bool VirtualBus::AcceptsReport(hid_device* device, const unsigned char* data, std::size_t length,
                               int reportLength, const wchar_t* noSuchReport,
                               const wchar_t* tooLong) {
    if (reportLength == 0) {
        Fail(device, noSuchReport);
        return false;
    }
    if (!data || length == 0 || data[0] != device->iface->shape.reportId) {
        Fail(device, L"Invalid report id");
        return false;
    }
    if (length > static_cast<std::size_t>(reportLength)) {
        Fail(device, tooLong);
        return false;
    }
    return true;
}

int VirtualBus::Write(hid_device* device, const unsigned char* data, std::size_t length) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    if (!Usable(device)) {
        return -1;
    }
    const std::shared_ptr<InterfaceInstance> iface = device->iface;
    const InterfaceShape& shape = iface->shape;
    if (!AcceptsReport(device, data, length, shape.outputLength,
                       L"The interface has no output report",
                       L"Report longer than the interface's output report")) {
        return -1;
    }
    LogReport(*iface, "write", data, length);
    Bytes report(data, data + length);
    report.resize(static_cast<std::size_t>(shape.outputLength), 0);
    Outcome outcome;
    if (shape.kind == InterfaceKind::Receiver) {
        outcome = TakeReceiverFrame(*iface, report);
    } else if (shape.kind == InterfaceKind::Bulk) {
        outcome = TakeBulkBlock(*iface, report);
    }
    AfterReport(iface, outcome);
    return static_cast<int>(length);
}

int VirtualBus::ReadReport(hid_device* device, unsigned char* data, std::size_t length,
                           int milliseconds, bool useHandleMode) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    if (!Usable(device)) {
        return -1;
    }
    if (!data || length == 0) {
        Fail(device, L"No buffer");
        return -1;
    }
    if (useHandleMode) {
        milliseconds = device->nonblocking ? 0 : -1;
    }
    const Clock::time_point deadline = milliseconds < 0
                                           ? Clock::time_point::max()
                                           : Clock::now() + std::chrono::milliseconds(milliseconds);
    while (true) {
        RunDueEvents();
        if (!Usable(device)) {
            return -1;
        }
        const Clock::time_point now = Clock::now();
        if (!device->input.empty() && device->input.front().readyAt <= now) {
            const Bytes report = std::move(device->input.front().data);
            device->input.pop_front();
            const std::size_t count = std::min(length, report.size());
            std::memcpy(data, report.data(), count);
            const std::shared_ptr<InterfaceInstance> iface = device->iface;
            LogReport(*iface, "read", data, count);
            AfterReport(iface, {});
            return static_cast<int>(count);
        }
        if (now >= deadline) {
            return 0;
        }
        Clock::time_point wake = std::min(deadline, NextEventTime());
        if (!device->input.empty()) {
            wake = std::min(wake, device->input.front().readyAt);
        }
        if (wake == Clock::time_point::max()) {
            m_inputArrived.wait(lock);
        } else {
            m_inputArrived.wait_until(lock, wake);
        }
    }
}

int VirtualBus::Read(hid_device* device, unsigned char* data, std::size_t length,
                     int milliseconds) {
    return ReadReport(device, data, length, milliseconds, false);
}

int VirtualBus::ReadBlocking(hid_device* device, unsigned char* data, std::size_t length) {
    return ReadReport(device, data, length, 0, true);
}

int VirtualBus::SetNonblocking(hid_device* device, int nonblock) {
    Lock lock(m_mutex);
    if (!device || m_handles.count(device) == 0) {
        return -1;
    }
    device->nonblocking = nonblock != 0;
    return 0;
}

int VirtualBus::SendFeature(hid_device* device, const unsigned char* data, std::size_t length) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    if (!Usable(device)) {
        return -1;
    }
    const std::shared_ptr<InterfaceInstance> iface = device->iface;
    const InterfaceShape& shape = iface->shape;
    if (!AcceptsReport(device, data, length, shape.featureLength,
                       L"The interface has no feature report",
                       L"Report longer than the interface's feature report")) {
        return -1;
    }
    LogReport(*iface, "set_feature", data, length);
    // A short report reaches the keyboard padded with zeros, as its firmware reads 64 bytes.
    std::array<std::uint8_t, kPayloadBytes> payload{};
    std::copy_n(data + 1, length - 1, payload.begin());
    VirtualKeyboard& keyboard = *iface->keyboard;
    ProtocolContext context{keyboard.model, keyboard.memory, keyboard.status, m_faults};
    keyboard.CableFor(iface->mode).SetFeature(payload.data(), context);
    AfterReport(iface, {context.changed, context.blockReport});
    return static_cast<int>(length);
}

int VirtualBus::GetFeature(hid_device* device, unsigned char* data, std::size_t length) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    if (!Usable(device)) {
        return -1;
    }
    if (device->iface->shape.featureLength == 0) {
        Fail(device, L"The interface has no feature report");
        return -1;
    }
    if (!data || length == 0 || data[0] != device->iface->shape.reportId) {
        Fail(device, L"Invalid report id");
        return -1;
    }
    if (const int slow = m_faults.SlowMilliseconds(); slow > 0) {
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(slow));
        lock.lock();
        if (!Usable(device)) {
            return -1;
        }
    }
    const std::shared_ptr<InterfaceInstance> iface = device->iface;
    VirtualKeyboard& keyboard = *iface->keyboard;
    ProtocolContext context{keyboard.model, keyboard.memory, keyboard.status, m_faults};
    const auto payload = keyboard.CableFor(iface->mode).GetFeature(context);
    const std::size_t count = std::min(length, payload.size() + 1);
    data[0] = iface->shape.reportId;
    std::copy_n(payload.begin(), count - 1, data + 1);
    LogReport(*iface, "get_feature", data, count);
    AfterReport(iface, {context.changed, context.blockReport});
    return static_cast<int>(count);
}

int VirtualBus::GetInput(hid_device* device, unsigned char* data, std::size_t length) {
    Lock lock(m_mutex);
    EnsureLoaded();
    if (!Usable(device)) {
        return -1;
    }
    const InterfaceShape& shape = device->iface->shape;
    if (shape.inputLength == 0 || !data || length == 0 || data[0] != shape.reportId) {
        Fail(device, L"The interface has no such input report");
        return -1;
    }
    // Asked for directly, an input report tells nothing new: the keyboard sends its idle report.
    const std::size_t count = std::min(length, static_cast<std::size_t>(shape.inputLength));
    std::memset(data + 1, 0, count - 1);
    return static_cast<int>(count);
}

int VirtualBus::GetText(hid_device* device, Text which, wchar_t* text, std::size_t maxLength) {
    Lock lock(m_mutex);
    if (!Usable(device)) {
        return -1;
    }
    const InterfaceInstance& iface = *device->iface;
    const std::string& source = which == Text::Manufacturer ? std::string("Zephyl")
                                : which == Text::Product    ? iface.product
                                                            : iface.serial;
    wchar_t* wide = DuplicateWide(source);
    const int result = CopyWide(wide, text, maxLength);
    std::free(wide);
    if (result < 0) {
        Fail(device, L"No buffer for the string");
    }
    return result;
}

int VirtualBus::GetIndexedText(hid_device* device, int /*index*/, wchar_t* /*text*/,
                               std::size_t /*maxLength*/) {
    Lock lock(m_mutex);
    if (Usable(device)) {
        Fail(device, L"hid_get_indexed_string: not supported by hidraw");
    }
    return -1;
}

hid_device_info* VirtualBus::DeviceInfo(hid_device* device) {
    Lock lock(m_mutex);
    if (!Usable(device)) {
        return nullptr;
    }
    if (!device->info) {
        device->info = MakeInfo(*device->iface);
    }
    return device->info;
}

int VirtualBus::GetReportDescriptor(hid_device* device, unsigned char* buffer, std::size_t size) {
    Lock lock(m_mutex);
    if (!Usable(device)) {
        return -1;
    }
    if (!buffer) {
        Fail(device, L"No buffer");
        return -1;
    }
    const Bytes& descriptor = device->iface->shape.descriptor;
    const std::size_t count = std::min(size, descriptor.size());
    std::memcpy(buffer, descriptor.data(), count);
    return static_cast<int>(count);
}

const wchar_t* VirtualBus::Error(hid_device* device) {
    Lock lock(m_mutex);
    if (!device) {
        return m_error.c_str();
    }
    if (m_handles.count(device) == 0) {
        return L"Invalid device handle";
    }
    return device->error.c_str();
}

}  // namespace zephyl::virtualhid
