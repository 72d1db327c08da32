// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/ReportDescriptor.h"

#include <hidapi/hidapi.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

/// The hidapi functions the device layer calls, resolved at run time. `get_report_descriptor`
/// is optional (hidapi before 0.14 lacks it); every other entry is required.
struct HidApi {
    int (*init)() = nullptr;
    int (*exit)() = nullptr;
    hid_device_info* (*enumerate)(unsigned short vendorId, unsigned short productId) = nullptr;
    void (*free_enumeration)(hid_device_info* devices) = nullptr;
    hid_device* (*open_path)(const char* path) = nullptr;
    int (*write)(hid_device* device, const unsigned char* data, size_t length) = nullptr;
    int (*read_timeout)(hid_device* device, unsigned char* data, size_t length,
                        int milliseconds) = nullptr;
    int (*send_feature_report)(hid_device* device, const unsigned char* data,
                               size_t length) = nullptr;
    int (*get_feature_report)(hid_device* device, unsigned char* data, size_t length) = nullptr;
    void (*close)(hid_device* device) = nullptr;
    int (*get_report_descriptor)(hid_device* device, unsigned char* buffer, size_t size) = nullptr;

    bool Complete() const;
};

/// One enumerated HID interface (one top-level collection on hidraw).
struct HidInterfaceInfo {
    std::string path;
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t release = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    int interfaceNumber = -1;
    int busType = 0;
    std::string product;  ///< UTF-8
};

/// hidapi loaded at run time: the system's hidraw build or the virtual keyboard library, both
/// behind the same C ABI. When nothing could be loaded every enumeration and open gives nothing,
/// so the program keeps running without keyboards.
///
/// The report primitives below are the one place where the library's conventions are turned
/// into the ones the transport is written for: a feature read-back counts its data bytes
/// without the report-id byte (64 for a full cable report), and input reports of interfaces that
/// number no reports arrive without a leading report-id byte.
class HidLibrary {
public:
    enum class Kind { kNone, kSystem, kVirtual, kInjected };

    /// `libhidapi-hidraw.so.0`.
    static std::unique_ptr<HidLibrary> LoadSystem();
    /// `libzephyl-virtual-hid.so` where VirtualLibraryCandidates says. A non-empty scenario is loaded into it at once.
    static std::unique_ptr<HidLibrary> LoadVirtual(const std::string& scenario = {});
    /// The virtual keyboard when asked for (RequestVirtualKeyboard, or $ZEPHYL_VIRTUAL_KEYBOARD
    /// set and not empty), else the system library.
    static std::unique_ptr<HidLibrary> LoadDefault();
    /// A function table supplied by the caller (tests); no library is opened.
    static std::unique_ptr<HidLibrary> FromTable(const HidApi& api);

    /// For `--virtual-keyboard[=SCENARIO]`: makes LoadDefault pick the virtual keyboard. Call it
    /// before the device manager is first used.
    static void RequestVirtualKeyboard(const std::string& scenario);

    ~HidLibrary();
    HidLibrary(const HidLibrary&) = delete;
    HidLibrary& operator=(const HidLibrary&) = delete;

    bool Loaded() const { return m_loaded; }
    Kind LibraryKind() const { return m_kind; }
    /// The virtual keyboard did not take the scenario asked for (a typo, a file it cannot read):
    /// the programs refuse to run on its default keyboard instead.
    bool ScenarioRefused() const { return m_scenarioRefused; }
    /// A symbol of the loaded library (the virtual keyboard's control functions), or null.
    void* Symbol(const char* name) const;

    std::vector<HidInterfaceInfo> Enumerate() const;
    /// Opens the interface at `path`. On failure `*error`, when given, is the reason as an errno
    /// value: EACCES or EPERM when this user may not open it, 0 when the library gave none.
    hid_device* Open(const std::string& path, int* error = nullptr) const;
    void Close(hid_device* device) const;
    /// Report lengths and usages of the collection the interface stands for; the enumerated usage
    /// page and usage (and zero lengths) when its descriptor cannot be read.
    HidCapabilities Capabilities(hid_device* device, const HidInterfaceInfo& info) const;

    /// Sends a 65-byte feature report; true when the library reports it sent.
    bool SendFeatureReport(hid_device* device, std::span<const uint8_t> report) const;
    /// Reads a feature report into `report` (report id at byte 0); returns the data bytes read
    /// without the report-id byte, negative on failure.
    int GetFeatureReport(hid_device* device, std::span<uint8_t> report) const;
    /// Writes an output report; bytes written or −1.
    int Write(hid_device* device, std::span<const uint8_t> report) const;
    /// Waits up to `timeoutMs` for one input report; 0 on timeout, −1 on failure. A report of an
    /// interface without report ids starts at buffer byte 0; a numbered report keeps its id there.
    /// `inputLength` is the interface's input length counting the report-id byte.
    int ReadTimeout(hid_device* device, std::span<uint8_t> buffer, int timeoutMs,
                    int inputLength) const;

private:
    HidLibrary() = default;
    static std::unique_ptr<HidLibrary> Open(const std::string& file, Kind kind);

    void* m_handle = nullptr;
    HidApi m_api;
    bool m_loaded = false;
    bool m_scenarioRefused = false;
    Kind m_kind = Kind::kNone;
};

/// Where to find the virtual keyboard library: beside the binary (the build tree), in the
/// installed tree's private folder below it, else the variable's path, else the loader's path.
std::vector<std::string> VirtualLibraryCandidates(const std::string& executableFolder,
                                                  const char* overridePath);

/// hidapi's wide strings (UTF-32 on Linux) as UTF-8; null gives an empty string.
std::string WideToUtf8(const wchar_t* text);

}  // namespace zephyl
