// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/DeviceManager.h"

#include "platform/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace zephyl {

namespace {

// Interfaces are told apart by their report lengths.
constexpr int kCommandFeatureLength = static_cast<int>(kCableReportLength);
constexpr int kReceiverLength = static_cast<int>(kReceiverReportLength);
constexpr int kBulkOutputLength = static_cast<int>(kBulkReportLength);
constexpr uint16_t kNotificationUsagePage = 0xFFFF;
constexpr uint16_t kNotificationUsage = 1;

}  // namespace

DeviceManager& DeviceManager::Instance() {
    static DeviceManager manager(HidLibrary::LoadDefault());
    return manager;
}

DeviceManager::DeviceManager(std::shared_ptr<HidLibrary> library,
                             std::shared_ptr<TransportClock> clock)
    : m_library(library ? std::move(library) : HidLibrary::FromTable(HidApi{})),
      m_clock(clock ? std::move(clock) : std::make_shared<SteadyTransportClock>()),
      m_pacer(*m_clock) {}

DeviceManager::~DeviceManager() {
    std::scoped_lock lock(m_transferMutex, m_listMutex);
    CloseEverything();
}

// ---- known devices ----

void DeviceManager::AddKnownDevice(int vid, int pid, const std::string& productName, int deviceType,
                                   int mode) {
    std::lock_guard lock(m_listMutex);
    m_knownDevices.push_back(KnownDevice{vid, pid, productName, deviceType, mode});
}

void DeviceManager::AddKnownDevices(const std::vector<KnownDevice>& devices) {
    std::lock_guard lock(m_listMutex);
    m_knownDevices.insert(m_knownDevices.end(), devices.begin(), devices.end());
}

const KnownDevice* DeviceManager::FindKnown(int vid, int pid, const std::string& product) const {
    for (const KnownDevice& known : m_knownDevices) {
        if (known.vid == vid && known.pid == pid &&
            (known.productName.empty() || known.productName == product)) {
            return &known;
        }
    }
    return nullptr;
}

bool DeviceManager::IsKnown(int vid, int pid, const std::string& product) const {
    std::lock_guard lock(m_listMutex);
    return FindKnown(vid, pid, product) != nullptr;
}

int DeviceManager::KnownMode(int vid, int pid, const std::string& product) const {
    std::lock_guard lock(m_listMutex);
    const KnownDevice* known = FindKnown(vid, pid, product);
    return known ? known->mode : 0;
}

int DeviceManager::KnownDeviceType(int vid, int pid, const std::string& product) const {
    std::lock_guard lock(m_listMutex);
    const KnownDevice* known = FindKnown(vid, pid, product);
    return known ? known->deviceType : 0;
}

// ---- refresh and close ----

void DeviceManager::Refresh() {
    std::lock_guard transfer(m_transferMutex);
    RefreshLocked();
}

void DeviceManager::RefreshLocked() {
    // Enumeration, opening and the receiver handshakes run without the list lock, so the window
    // thread's reads of the lists never wait for a slow handshake.
    std::vector<KnownDevice> known;
    {
        std::lock_guard lock(m_listMutex);
        known = m_knownDevices;
    }
    auto lookup = [&known](const HidInterfaceInfo& info) -> const KnownDevice* {
        for (const KnownDevice& row : known) {
            if (row.vid == info.vid && row.pid == info.pid &&
                (row.productName.empty() || row.productName == info.product)) {
                return &row;
            }
        }
        return nullptr;
    };

    std::vector<DeviceEntry> commandEntries;
    std::vector<DeviceEntry> bulkEntries;
    std::vector<std::pair<hid_device*, HidCapabilities>> notifications;
    std::vector<int> refused;

    for (const HidInterfaceInfo& info : m_library->Enumerate()) {
        const KnownDevice* row = lookup(info);
        if (!row) {
            continue;
        }
        int openError = 0;
        hid_device* device = m_library->Open(info.path, &openError);
        if (!device) {
            Log(kLogDebug, "cannot open %s: %s", info.path.c_str(),
                openError != 0 ? std::strerror(openError) : "no reason given");
            if (openError == EACCES || openError == EPERM) {
                refused.push_back(row->deviceType);
            }
            continue;
        }
        DeviceEntry entry;
        entry.vid = info.vid;
        entry.pid = info.pid;
        entry.path = info.path;
        entry.product = info.product;
        entry.device = device;
        entry.release = info.release;
        entry.deviceType = row->deviceType;
        entry.capabilities = m_library->Capabilities(device, info);
        const HidCapabilities& caps = entry.capabilities;

        if (caps.featureLength == kCommandFeatureLength) {
            entry.connectionMode = row->mode;
            // A feature interface exists only while its keyboard is connected: by cable or by
            // Bluetooth, the keyboard is there to talk to. Only a receiver may be plugged in
            // with its keyboard asleep or away, so only it is asked.
            entry.usable = 1;
            commandEntries.push_back(std::move(entry));
        } else if (caps.outputLength == kReceiverLength && caps.inputLength == kReceiverLength) {
            entry.connectionMode = kModeReceiver;
            entry.usable = ProbeLocked(device) ? 1 : 0;
            commandEntries.push_back(std::move(entry));
        } else if (caps.usagePage == kNotificationUsagePage && caps.usage == kNotificationUsage) {
            notifications.emplace_back(device, caps);
        } else if (caps.outputLength == kBulkOutputLength) {
            entry.connectionMode = kModeCable;
            entry.usable = 1;
            bulkEntries.push_back(std::move(entry));
        } else {
            m_library->Close(device);
        }
    }

    std::lock_guard lock(m_listMutex);
    for (auto& item : commandEntries) {
        Log(kLogDebug, "command interface %04X:%04X mode %d usable %d", item.vid, item.pid,
            item.connectionMode, item.usable);
        m_commandEntries.push_back(std::move(item));
    }
    for (auto& item : bulkEntries) {
        m_bulkEntries.push_back(std::move(item));
    }
    // Some interfaces of a keyboard are never ours to open (its typing interface): only a
    // keyboard of which no command interface opened is kept out.
    m_refusedDeviceTypes.clear();
    for (int deviceType : refused) {
        const bool opened = std::any_of(
            m_commandEntries.begin(), m_commandEntries.end(),
            [deviceType](const DeviceEntry& entry) { return entry.deviceType == deviceType; });
        if (!opened && std::find(m_refusedDeviceTypes.begin(), m_refusedDeviceTypes.end(),
                                 deviceType) == m_refusedDeviceTypes.end()) {
            Log(kLogWarning, "keyboard model %d is plugged in but this user may not open it",
                deviceType);
            m_refusedDeviceTypes.push_back(deviceType);
        }
    }
    for (const auto& [device, caps] : notifications) {
        // The last one found is read; earlier ones stay open until everything is closed.
        if (m_notificationHandle) {
            m_replacedNotificationHandles.push_back(m_notificationHandle);
        }
        m_notificationHandle = device;
        m_notificationCapabilities = caps;
    }
}

void DeviceManager::CloseAll() {
    std::scoped_lock lock(m_transferMutex, m_listMutex);
    CloseAllLocked();
}

void DeviceManager::CloseAllLocked() {
    if (!m_enabled) {
        return;
    }
    m_enabled = false;
    CloseEverything();
}

void DeviceManager::CloseEverything() {
    for (DeviceEntry& entry : m_commandEntries) {
        m_library->Close(entry.device);
    }
    for (DeviceEntry& entry : m_bulkEntries) {
        m_library->Close(entry.device);
    }
    m_library->Close(m_notificationHandle);
    for (hid_device* device : m_replacedNotificationHandles) {
        m_library->Close(device);
    }
    m_commandEntries.clear();
    m_bulkEntries.clear();
    m_refusedDeviceTypes.clear();
    m_replacedNotificationHandles.clear();
    m_notificationHandle = nullptr;
    m_notificationCapabilities = {};
    m_bulkHandle = nullptr;
    // The cached command interface was one of the handles just closed; keeping it would leave a
    // dangling handle for the next caller of ActiveHandle.
    m_commandHandle = nullptr;
}

void DeviceManager::Reopen() {
    std::lock_guard transfer(m_transferMutex);
    {
        std::lock_guard lock(m_listMutex);
        m_commandHandle = nullptr;
        CloseAllLocked();
    }
    RefreshLocked();
    std::lock_guard lock(m_listMutex);
    m_enabled = true;
    m_busy.store(0);
}

// ---- selection ----

hid_device* DeviceManager::ActiveHandle() {
    std::lock_guard lock(m_listMutex);
    return ActiveHandleLocked();
}

hid_device* DeviceManager::ActiveHandleLocked() {
    if (m_commandHandle) {
        return m_commandHandle;
    }
    m_bulkHandle = nullptr;
    for (const DeviceEntry& entry : m_bulkEntries) {
        if (entry.deviceType == m_selectedDeviceType) {
            m_bulkHandle = entry.device;
            break;
        }
    }
    for (int mode : {kModeCable, kModeBluetooth, kModeReceiver}) {
        for (const DeviceEntry& entry : m_commandEntries) {
            if (entry.deviceType == m_selectedDeviceType && entry.connectionMode == mode) {
                m_commandHandle = entry.device;
                return m_commandHandle;
            }
        }
    }
    return nullptr;
}

int DeviceManager::CurrentConnectionMode() const {
    std::lock_guard lock(m_listMutex);
    for (int mode : {kModeCable, kModeReceiver, kModeBluetooth}) {
        for (const DeviceEntry& entry : m_commandEntries) {
            if (entry.deviceType == m_selectedDeviceType && entry.connectionMode == mode) {
                return mode;
            }
        }
    }
    return kModeNone;
}

std::vector<int> DeviceManager::RefusedDeviceTypes() const {
    std::lock_guard lock(m_listMutex);
    return m_refusedDeviceTypes;
}

bool DeviceManager::CollectEntries(std::vector<DeviceEntry>& list) const {
    std::lock_guard lock(m_listMutex);
    list.clear();
    for (const DeviceEntry& entry : m_commandEntries) {
        if (m_selectedDeviceType == 0 || entry.deviceType == m_selectedDeviceType) {
            list.push_back(entry);
            list.back().device = nullptr;
        }
    }
    return !m_commandEntries.empty();
}

int DeviceManager::ModeUsable(int vid, int pid, const std::string& productName, int mode) const {
    std::lock_guard lock(m_listMutex);
    for (const DeviceEntry& entry : m_commandEntries) {
        if (entry.vid == vid && entry.pid == pid && entry.connectionMode == mode &&
            (productName.empty() || entry.product == productName)) {
            return entry.usable;
        }
    }
    return -1;
}

bool DeviceManager::FirmwareVersion(int& out) const {
    std::lock_guard lock(m_listMutex);
    if (!m_enabled) {
        return false;
    }
    bool wireless = false;
    for (const DeviceEntry& entry : m_commandEntries) {
        if (entry.deviceType != m_selectedDeviceType) {
            continue;
        }
        if (entry.connectionMode == kModeCable) {
            out = entry.release;
            return true;
        }
        wireless = wireless || entry.connectionMode == kModeBluetooth ||
                   entry.connectionMode == kModeReceiver;
    }
    if (wireless) {
        out = 0;
    }
    return wireless;
}

bool DeviceManager::Enabled() const {
    std::lock_guard lock(m_listMutex);
    return m_enabled;
}

void DeviceManager::SetEnabled(bool enabled) {
    std::lock_guard lock(m_listMutex);
    m_enabled = enabled;
}

int DeviceManager::SelectedDeviceType() const {
    std::lock_guard lock(m_listMutex);
    return m_selectedDeviceType;
}

void DeviceManager::SetSelectedDeviceType(int deviceType) {
    std::lock_guard lock(m_listMutex);
    m_selectedDeviceType = deviceType;
    // Cached interfaces belong to the model selected before.
    m_commandHandle = nullptr;
    m_bulkHandle = nullptr;
}

bool DeviceManager::HasNotificationHandle() const {
    std::lock_guard lock(m_listMutex);
    return m_notificationHandle != nullptr;
}

size_t DeviceManager::CommandEntryCount() const {
    std::lock_guard lock(m_listMutex);
    return m_commandEntries.size();
}

size_t DeviceManager::BulkEntryCount() const {
    std::lock_guard lock(m_listMutex);
    return m_bulkEntries.size();
}

}  // namespace zephyl
