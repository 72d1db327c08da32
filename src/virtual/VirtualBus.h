// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/Faults.h"
#include "virtual/HidApi.h"
#include "virtual/HidInterfaces.h"
#include "virtual/Json.h"
#include "virtual/ReportLog.h"
#include "virtual/Scenario.h"
#include "virtual/VirtualKeyboard.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace zephyl::virtualhid {

using Clock = std::chrono::steady_clock;

/// One interface of a plugged connection, as the system lists it. It outlives its unplugging
/// while handles still point at it; from then on every call on those handles fails.
struct InterfaceInstance {
    VirtualKeyboard* keyboard = nullptr;  ///< valid only while present
    int deviceType = 0;
    int mode = 0;
    InterfaceShape shape;
    int node = 0;
    std::string path;
    std::string product;
    std::string serial;
    int release = 0;
    bool present = true;
};

/// An input report waiting to be read, and when it may be read (slow answers arrive late).
struct QueuedReport {
    Bytes data;
    Clock::time_point readyAt;
};

/// A plug or unplug notice for the host.
struct PlugChange {
    std::string path;
    bool arrived = false;
};

}  // namespace zephyl::virtualhid

/// hidapi's opaque device: one open handle on one interface. Like a hidraw file, every handle
/// has its own queue of input reports.
struct hid_device_ {
    std::shared_ptr<zephyl::virtualhid::InterfaceInstance> iface;
    std::deque<zephyl::virtualhid::QueuedReport> input;
    bool nonblocking = false;
    std::wstring error = L"Success";
    hid_device_info* info = nullptr;
};

namespace zephyl::virtualhid {

/// The virtual machine's USB and Bluetooth side: the keyboards of the scenario, their
/// interfaces, the open handles, the plug notices, the faults, the report log and the state
/// file. One lock guards all of it; the hidapi and control functions are thin calls into here.
class VirtualBus {
public:
    static VirtualBus& Instance();

    // Control functions (see VirtualHidControl.h).
    int LoadScenario(const char* scenario);
    int SetPlugged(int deviceType, int mode, bool plugged);
    int NextChange(char* path, std::size_t pathSize, int* arrived);
    int WaitChange(char* path, std::size_t pathSize, int* arrived, int timeoutMs);
    void InterruptChangeWaits();
    int InjectFault(const char* fault, int value);
    std::size_t StateJson(char* buffer, std::size_t bufferSize);
    int QueueNotification(const unsigned char* data, std::size_t length);
    int PressKey(int deviceType, int keyCode, int layer);
    int SetBattery(int deviceType, int level);
    int SetAsleep(int deviceType, bool asleep);

    // hidapi functions.
    int Init();
    hid_device_info* Enumerate(unsigned short vendorId, unsigned short productId);
    static void FreeEnumeration(hid_device_info* devices);
    hid_device* Open(unsigned short vendorId, unsigned short productId, const wchar_t* serial);
    hid_device* OpenPath(const char* path);
    void Close(hid_device* device);
    int Write(hid_device* device, const unsigned char* data, std::size_t length);
    int Read(hid_device* device, unsigned char* data, std::size_t length, int milliseconds);
    int ReadBlocking(hid_device* device, unsigned char* data, std::size_t length);
    int SetNonblocking(hid_device* device, int nonblock);
    int SendFeature(hid_device* device, const unsigned char* data, std::size_t length);
    int GetFeature(hid_device* device, unsigned char* data, std::size_t length);
    int GetInput(hid_device* device, unsigned char* data, std::size_t length);
    enum class Text { Manufacturer, Product, Serial };
    int GetText(hid_device* device, Text which, wchar_t* text, std::size_t maxLength);
    int GetIndexedText(hid_device* device, int index, wchar_t* text, std::size_t maxLength);
    hid_device_info* DeviceInfo(hid_device* device);
    int GetReportDescriptor(hid_device* device, unsigned char* buffer, std::size_t size);
    const wchar_t* Error(hid_device* device);

private:
    VirtualBus();

    using Lock = std::unique_lock<std::mutex>;

    // Scenario and plugging (VirtualBus.cpp).
    void EnsureLoaded();
    int LoadScenarioLocked(const std::string& text);
    VirtualKeyboard* FindKeyboard(int deviceType);
    void Plug(VirtualKeyboard& keyboard, int mode, bool announce);
    void Unplug(VirtualKeyboard& keyboard, int mode);
    void RunDueEvents();
    void RunEvent(const ScenarioEvent& event);
    Clock::time_point NextEventTime() const;
    /// Sends a notice on the keyboard's notification interfaces; returns the handles reached.
    int Notify(VirtualKeyboard& keyboard, const Bytes& notice, bool wirelessOnly);
    /// Queues an input report on every handle open on the interface; returns how many.
    int Enqueue(const InterfaceInstance& iface, const Bytes& report, int delayMilliseconds);
    void SetKeyboardAsleep(VirtualKeyboard& keyboard, bool asleep);

    // State file (VirtualBusState.cpp).
    JsonValue StateLocked() const;
    /// Reads the state file's models into m_otherModels (empty when there is none).
    void ReadStateFile();
    void WriteStateFile();

    // Report plumbing (VirtualBusHid.cpp).
    bool Usable(hid_device* device);
    void Fail(hid_device* device, const wchar_t* reason);
    /// Checks a report the host sends against the interface's report of that kind (`length` of
    /// it, 0 when the interface has none); fails the device and returns false when it does not fit.
    bool AcceptsReport(hid_device* device, const unsigned char* data, std::size_t length,
                       int reportLength, const wchar_t* noSuchReport, const wchar_t* tooLong);
    void LogReport(const InterfaceInstance& iface, const char* operation, const std::uint8_t* data,
                   std::size_t length);
    /// What taking a report did, for the state file and the unplug faults.
    struct Outcome {
        bool changed = false;
        bool blockReport = false;
    };
    void AfterReport(const std::shared_ptr<InterfaceInstance>& iface, Outcome outcome);
    Outcome TakeReceiverFrame(InterfaceInstance& iface, const Bytes& frame);
    Outcome TakeBulkBlock(InterfaceInstance& iface, const Bytes& report);
    int ReadReport(hid_device* device, unsigned char* data, std::size_t length, int milliseconds,
                   bool useHandleMode);
    hid_device_info* MakeInfo(const InterfaceInstance& iface) const;

    std::mutex m_mutex;
    std::condition_variable m_inputArrived;
    std::condition_variable m_changeArrived;  ///< a plug change queued, or waits interrupted
    std::uint64_t m_changeWaitGeneration = 0;
    const Clock::time_point m_origin = Clock::now();

    bool m_loaded = false;
    std::string m_resourceFolder;
    std::vector<ModelInfo> m_models;
    std::vector<std::unique_ptr<VirtualKeyboard>> m_keyboards;
    std::vector<std::shared_ptr<InterfaceInstance>> m_interfaces;  ///< present ones
    std::set<hid_device*> m_handles;
    std::deque<PlugChange> m_changes;
    FaultState m_faults;
    ReportLog m_log;
    std::string m_statePath;
    JsonValue m_otherModels;  ///< state of models the scenario leaves out, written back as read
    std::vector<ScenarioEvent> m_events;
    Clock::time_point m_loadedAt;
    std::uint64_t m_reports = 0;
    int m_nextNode = 0;
    VirtualKeyboard* m_active = nullptr;  ///< the keyboard that last took a report
    std::wstring m_error = L"Success";
};

}  // namespace zephyl::virtualhid
