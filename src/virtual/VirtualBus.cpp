// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/VirtualBus.h"

#include "virtual/Notifications.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zephyl::virtualhid {

namespace {

constexpr std::size_t kMaxQueuedReports = 64;  // what a hidraw file buffers before dropping

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string ChangePath(const InterfaceInstance& iface, int vid, int pid) {
    char path[160];
    if (iface.mode == 1) {
        // Bluetooth LE HID paths carry the HID service class instead of the USB identity.
        std::snprintf(path, sizeof path,
                      "HID\\{00001812-0000-1000-8000-00805F9B34FB}_DEV_VID&02%04X_PID&%04X&MI_%02X"
                      "\\HIDRAW%d",
                      vid & 0xFFFF, pid & 0xFFFF, iface.shape.number & 0xFF, iface.node);
    } else {
        std::snprintf(path, sizeof path, "HID\\VID_%04X&PID_%04X&MI_%02X\\HIDRAW%d", vid & 0xFFFF,
                      pid & 0xFFFF, iface.shape.number & 0xFF, iface.node);
    }
    return path;
}

}  // namespace

VirtualBus& VirtualBus::Instance() {
    // Never destroyed: a host thread may still be inside a call (or the library be unloaded)
    // when static destructors run. Every log line and state write is complete when made.
    static VirtualBus* const bus = new VirtualBus;
    return *bus;
}

VirtualBus::VirtualBus() = default;

void VirtualBus::EnsureLoaded() {
    if (!m_loaded) {
        m_loaded = true;
        LoadScenarioLocked(EnvironmentText("ZEPHYL_VIRTUAL_KEYBOARD"));
    }
}

int VirtualBus::LoadScenario(const char* scenario) {
    Lock lock(m_mutex);
    m_loaded = true;
    const std::string text =
        scenario && *scenario ? std::string(scenario) : EnvironmentText("ZEPHYL_VIRTUAL_KEYBOARD");
    return LoadScenarioLocked(text);
}

int VirtualBus::LoadScenarioLocked(const std::string& text) {
    std::string resourceFolder = FindResourceFolder();
    std::vector<ModelInfo> models = LoadModels(resourceFolder);
    Scenario scenario;
    std::string error;
    if (!ParseScenario(text, models, scenario, error)) {
        m_error = Widen("virtual keyboard: " + error);
        std::fprintf(stderr, "virtual keyboard: %s\n", error.c_str());
        return -1;
    }
    for (std::size_t i = 0; i < scenario.keyboards.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (scenario.keyboards[i].deviceType == scenario.keyboards[j].deviceType) {
                m_error = L"virtual keyboard: a model is listed twice";
                return -1;
            }
        }
    }

    // A new scenario is a different machine: whatever was plugged in is gone without notices.
    for (const auto& iface : m_interfaces) {
        iface->present = false;
        iface->keyboard = nullptr;
    }
    m_interfaces.clear();
    m_keyboards.clear();
    m_changes.clear();
    m_active = nullptr;
    m_nextNode = 0;
    m_inputArrived.notify_all();

    m_resourceFolder = std::move(resourceFolder);
    m_models = std::move(models);
    m_faults.Clear();
    for (const ScenarioFault& fault : scenario.faults) {
        m_faults.Set(fault.name, fault.value);
    }
    m_log.Open(EnvironmentText("ZEPHYL_VIRTUAL_LOG"));
    m_statePath = EnvironmentText("ZEPHYL_VIRTUAL_STATE");
    ReadStateFile();

    for (const ScenarioKeyboard& entry : scenario.keyboards) {
        auto keyboard = std::make_unique<VirtualKeyboard>();
        for (const ModelInfo& model : m_models) {
            if (model.deviceType == entry.deviceType) {
                keyboard->model = model;
            }
        }
        keyboard->status.battery = entry.battery;
        keyboard->status.asleep = entry.asleep;
        keyboard->openRefused = entry.openRefused;
        keyboard->status.release =
            entry.release >= 0 ? entry.release : keyboard->model.firmwareRelease;
        const std::string key = std::to_string(entry.deviceType);
        MemoryFromJson(m_otherModels[key], keyboard->model, keyboard->memory);
        m_keyboards.push_back(std::move(keyboard));
    }
    // Models of the scenario are written from memory from now on; keep only the others.
    JsonValue others = JsonValue::MakeObject();
    for (const auto& [name, memory] : m_otherModels.Members()) {
        if (!FindKeyboard(std::atoi(name.c_str()))) {
            others.Set(name, memory);
        }
    }
    m_otherModels = std::move(others);

    for (std::size_t i = 0; i < scenario.keyboards.size(); ++i) {
        for (const int mode : scenario.keyboards[i].modes) {
            Plug(*m_keyboards[i], mode, false);
        }
    }
    m_active = m_keyboards.empty() ? nullptr : m_keyboards.front().get();
    m_events = std::move(scenario.events);
    m_loadedAt = Clock::now();
    m_reports = 0;
    m_error = L"Success";
    WriteStateFile();
    RunDueEvents();
    return 0;
}

VirtualKeyboard* VirtualBus::FindKeyboard(int deviceType) {
    if (deviceType == 0) {
        return m_active ? m_active : (m_keyboards.empty() ? nullptr : m_keyboards.front().get());
    }
    for (const auto& keyboard : m_keyboards) {
        if (keyboard->model.deviceType == deviceType) {
            return keyboard.get();
        }
    }
    return nullptr;
}

void VirtualBus::Plug(VirtualKeyboard& keyboard, int mode, bool announce) {
    const ModeInfo* info = keyboard.model.FindMode(mode);
    if (!info || keyboard.plugged.count(mode) != 0) {
        return;
    }
    keyboard.plugged.insert(mode);
    keyboard.ResetConnection(mode);
    std::string product = info->productName;
    if (product.empty()) {
        product = mode == 2 ? keyboard.model.name + " Receiver" : keyboard.model.name;
    }
    for (const InterfaceShape& shape : InterfacesForMode(keyboard.model, *info)) {
        auto iface = std::make_shared<InterfaceInstance>();
        iface->keyboard = &keyboard;
        iface->deviceType = keyboard.model.deviceType;
        iface->mode = mode;
        iface->shape = shape;
        iface->node = m_nextNode++;
        iface->path = "/dev/zephyl-virtual/hidraw" + std::to_string(iface->node);
        iface->product = product;
        iface->serial =
            "ZV" + std::to_string(keyboard.model.deviceType) + "M" + std::to_string(mode);
        iface->release = keyboard.status.release;
        if (announce) {
            m_changes.push_back({ChangePath(*iface, info->vid, info->pid), true});
            m_changeArrived.notify_all();
        }
        m_interfaces.push_back(std::move(iface));
    }
}

void VirtualBus::Unplug(VirtualKeyboard& keyboard, int mode) {
    if (keyboard.plugged.erase(mode) == 0) {
        return;
    }
    keyboard.ResetConnection(mode);
    const ModeInfo* info = keyboard.model.FindMode(mode);
    std::vector<std::shared_ptr<InterfaceInstance>> kept;
    for (auto& iface : m_interfaces) {
        if (iface->keyboard == &keyboard && iface->mode == mode) {
            if (info) {
                m_changes.push_back({ChangePath(*iface, info->vid, info->pid), false});
                m_changeArrived.notify_all();
            }
            iface->present = false;
            iface->keyboard = nullptr;
        } else {
            kept.push_back(iface);
        }
    }
    m_interfaces = std::move(kept);
    m_inputArrived.notify_all();
}

void VirtualBus::RunDueEvents() {
    const Clock::time_point now = Clock::now();
    std::vector<ScenarioEvent> due;
    std::vector<ScenarioEvent> waiting;
    for (ScenarioEvent& event : m_events) {
        const bool timeDue = now - m_loadedAt >= std::chrono::milliseconds(event.afterMilliseconds);
        const bool reportsDue =
            event.afterReports < 0 || m_reports >= static_cast<std::uint64_t>(event.afterReports);
        (timeDue && reportsDue ? due : waiting).push_back(std::move(event));
    }
    m_events = std::move(waiting);
    for (const ScenarioEvent& event : due) {
        RunEvent(event);
    }
}

Clock::time_point VirtualBus::NextEventTime() const {
    Clock::time_point next = Clock::time_point::max();
    for (const ScenarioEvent& event : m_events) {
        if (event.afterReports < 0 || m_reports >= static_cast<std::uint64_t>(event.afterReports)) {
            next = std::min(next, m_loadedAt + std::chrono::milliseconds(event.afterMilliseconds));
        }
    }
    return next;
}

void VirtualBus::RunEvent(const ScenarioEvent& event) {
    VirtualKeyboard* keyboard = FindKeyboard(event.deviceType);
    if (event.action == "fault") {
        m_faults.Set(event.fault, event.value);
        return;
    }
    if (!keyboard) {
        return;
    }
    if (event.action == "sleep" || event.action == "wake") {
        SetKeyboardAsleep(*keyboard, event.action == "sleep");
    } else if (event.action == "plug") {
        Plug(*keyboard, event.mode, true);
    } else if (event.action == "unplug") {
        Unplug(*keyboard, event.mode);
    } else if (event.action == "battery") {
        keyboard->status.battery = std::clamp(event.value, 0, 255);
    } else if (event.action == "press") {
        const int action =
            HostActionOfKey(keyboard->model, keyboard->memory, event.keyCode, event.layer);
        if (action >= 0) {
            Notify(*keyboard, ActionNotice(action), false);
        }
    } else if (event.action == "notify") {
        Notify(*keyboard, event.data, false);
    }
}

void VirtualBus::SetKeyboardAsleep(VirtualKeyboard& keyboard, bool asleep) {
    keyboard.status.asleep = asleep;
    Notify(keyboard, asleep ? SleepNotice() : WakeNotice(), true);
}

int VirtualBus::Notify(VirtualKeyboard& keyboard, const Bytes& notice, bool wirelessOnly) {
    Bytes report(kNotificationBytes + 1, 0);
    report[0] = kNotificationReportId;
    std::copy_n(notice.begin(), std::min(notice.size(), kNotificationBytes), report.begin() + 1);
    int reached = 0;
    for (const auto& iface : m_interfaces) {
        if (iface->keyboard == &keyboard && iface->shape.kind == InterfaceKind::Notification &&
            (!wirelessOnly || iface->mode != 0)) {
            reached += Enqueue(*iface, report, 0);
        }
    }
    return reached;
}

int VirtualBus::Enqueue(const InterfaceInstance& iface, const Bytes& report,
                        int delayMilliseconds) {
    const Clock::time_point readyAt = Clock::now() + std::chrono::milliseconds(delayMilliseconds);
    int reached = 0;
    for (hid_device* handle : m_handles) {
        if (handle->iface.get() != &iface) {
            continue;
        }
        if (handle->input.size() >= kMaxQueuedReports) {
            handle->input.pop_front();
        }
        handle->input.push_back({report, readyAt});
        ++reached;
    }
    m_inputArrived.notify_all();
    return reached;
}

int VirtualBus::SetPlugged(int deviceType, int mode, bool plugged) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    VirtualKeyboard* keyboard = deviceType == 0 ? nullptr : FindKeyboard(deviceType);
    if (!keyboard || !keyboard->model.FindMode(mode)) {
        return -1;
    }
    if (plugged) {
        Plug(*keyboard, mode, true);
    } else {
        Unplug(*keyboard, mode);
    }
    return 0;
}

int VirtualBus::WaitChange(char* path, std::size_t pathSize, int* arrived, int timeoutMs) {
    Lock lock(m_mutex);
    EnsureLoaded();
    const std::uint64_t generation = m_changeWaitGeneration;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        RunDueEvents();
        if (!m_changes.empty()) {
            break;
        }
        const Clock::time_point now = Clock::now();
        if (m_changeWaitGeneration != generation) {
            return -1;
        }
        if (now >= deadline) {
            return 0;
        }
        // Scheduled plug events fall due by time too: wake for the next of them. Events whose
        // time has come but that wait for reports are run by the report that completes them.
        Clock::time_point wake = deadline;
        for (const ScenarioEvent& event : m_events) {
            const Clock::time_point due =
                m_loadedAt + std::chrono::milliseconds(event.afterMilliseconds);
            if (due > now) {
                wake = std::min(wake, due);
            }
        }
        m_changeArrived.wait_until(lock, wake);
    }
    lock.unlock();
    return NextChange(path, pathSize, arrived);
}

void VirtualBus::InterruptChangeWaits() {
    Lock lock(m_mutex);
    ++m_changeWaitGeneration;
    m_changeArrived.notify_all();
}

int VirtualBus::NextChange(char* path, std::size_t pathSize, int* arrived) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    if (m_changes.empty()) {
        return 0;
    }
    const PlugChange change = m_changes.front();
    m_changes.pop_front();
    if (path && pathSize > 0) {
        const std::size_t length = std::min(change.path.size(), pathSize - 1);
        std::memcpy(path, change.path.data(), length);
        path[length] = '\0';
    }
    if (arrived) {
        *arrived = change.arrived ? 1 : 0;
    }
    return 1;
}

int VirtualBus::InjectFault(const char* fault, int value) {
    Lock lock(m_mutex);
    EnsureLoaded();
    return fault && m_faults.Set(fault, value) ? 0 : -1;
}

std::size_t VirtualBus::StateJson(char* buffer, std::size_t bufferSize) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    const std::string text = WriteJson(StateLocked());
    if (buffer && bufferSize > 0) {
        const std::size_t length = std::min(text.size(), bufferSize - 1);
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
    }
    return text.size();
}

int VirtualBus::QueueNotification(const unsigned char* data, std::size_t length) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    VirtualKeyboard* keyboard = FindKeyboard(0);
    if (!keyboard || !data || length == 0 || length > kNotificationBytes) {
        return -1;
    }
    return Notify(*keyboard, Bytes(data, data + length), false) > 0 ? 0 : -1;
}

int VirtualBus::PressKey(int deviceType, int keyCode, int layer) {
    Lock lock(m_mutex);
    EnsureLoaded();
    RunDueEvents();
    VirtualKeyboard* keyboard = FindKeyboard(deviceType);
    if (!keyboard) {
        return -1;
    }
    const int action = HostActionOfKey(keyboard->model, keyboard->memory, keyCode, layer);
    if (action < 0) {
        return 0;
    }
    return Notify(*keyboard, ActionNotice(action), false) > 0 ? 1 : -1;
}

int VirtualBus::SetBattery(int deviceType, int level) {
    Lock lock(m_mutex);
    EnsureLoaded();
    VirtualKeyboard* keyboard = FindKeyboard(deviceType);
    if (!keyboard || level < 0 || level > 255) {
        return -1;
    }
    keyboard->status.battery = level;
    return 0;
}

int VirtualBus::SetAsleep(int deviceType, bool asleep) {
    Lock lock(m_mutex);
    EnsureLoaded();
    VirtualKeyboard* keyboard = FindKeyboard(deviceType);
    if (!keyboard) {
        return -1;
    }
    SetKeyboardAsleep(*keyboard, asleep);
    return 0;
}

}  // namespace zephyl::virtualhid
