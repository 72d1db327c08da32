// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/HidLibrary.h"

#include "platform/Log.h"
#include "platform/Paths.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

namespace zephyl {

namespace {

constexpr const char* kSystemLibrary = "libhidapi-hidraw.so.0";
constexpr const char* kVirtualLibrary = "libzephyl-virtual-hid.so";
#ifndef ZEPHYL_LIBDIR_FROM_BINDIR
#define ZEPHYL_LIBDIR_FROM_BINDIR "../lib/zephyl-keyboard-driver"
#endif
// The kernel's limit for one report descriptor.
constexpr size_t kMaxDescriptorSize = 4096;

std::mutex g_requestMutex;
bool g_virtualRequested = false;
std::string g_requestedScenario;

// dlopen hands every opener of a file the same library, whose hidapi state is shared: start it
// for the first HidLibrary over it and finish it after the last one.
// Users of each opened library. Never destroyed: a library held by another static object is
// released during exit, possibly after this file's own statics are gone.
std::mutex& g_usersMutex = *new std::mutex;
std::map<void*, int>& g_users = *new std::map<void*, int>;

template <typename Function>
void Resolve(void* handle, const char* name, Function& target) {
    target = reinterpret_cast<Function>(dlsym(handle, name));
}

std::vector<uint8_t> ReadSysfsDescriptor(const std::string& devicePath) {
    const std::string file = HidrawDescriptorPath(devicePath);
    if (file.empty()) {
        return {};
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes;
    char c;
    while (bytes.size() < kMaxDescriptorSize && in.get(c)) {
        bytes.push_back(static_cast<uint8_t>(c));
    }
    return bytes;
}

}  // namespace

bool HidApi::Complete() const {
    return enumerate && free_enumeration && open_path && write && read_timeout &&
           send_feature_report && get_feature_report && close;
}

std::string WideToUtf8(const wchar_t* text) {
    std::string out;
    if (!text) {
        return out;
    }
    for (; *text; ++text) {
        auto c = static_cast<uint32_t>(*text);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::vector<std::string> VirtualLibraryCandidates(const std::string& executableFolder,
                                                  const char* overridePath) {
    std::vector<std::string> candidates;
    if (!executableFolder.empty()) {
        candidates.push_back(WithTrailingSlash(executableFolder) + kVirtualLibrary);
        // The installed tree's private folder, named outright: the programs' run path would
        // find it too, but a dlopen wrapped by another library (a sanitizer's) searches that
        // library's run path instead.
        candidates.push_back(WithTrailingSlash(executableFolder) + ZEPHYL_LIBDIR_FROM_BINDIR + "/" +
                             kVirtualLibrary);
    }
    if (overridePath && *overridePath) {
        candidates.emplace_back(overridePath);
    }
    candidates.emplace_back(kVirtualLibrary);  // the loader's own search path
    return candidates;
}

std::unique_ptr<HidLibrary> HidLibrary::Open(const std::string& file, Kind kind) {
    std::unique_ptr<HidLibrary> library(new HidLibrary);
    // RTLD_LOCAL keeps the two hidapi builds from resolving into each other when both load.
    // RTLD_NODELETE keeps a library mapped after its last user: its threads and process-wide
    // state (the virtual keyboard's memory) must outlive a device manager that goes away first.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        return library;
    }
    HidApi api;
    Resolve(handle, "hid_init", api.init);
    Resolve(handle, "hid_exit", api.exit);
    Resolve(handle, "hid_enumerate", api.enumerate);
    Resolve(handle, "hid_free_enumeration", api.free_enumeration);
    Resolve(handle, "hid_open_path", api.open_path);
    Resolve(handle, "hid_write", api.write);
    Resolve(handle, "hid_read_timeout", api.read_timeout);
    Resolve(handle, "hid_send_feature_report", api.send_feature_report);
    Resolve(handle, "hid_get_feature_report", api.get_feature_report);
    Resolve(handle, "hid_close", api.close);
    Resolve(handle, "hid_get_report_descriptor", api.get_report_descriptor);
    bool started = api.Complete();
    if (started) {
        std::lock_guard lock(g_usersMutex);
        int& users = g_users[handle];
        started = users > 0 || !api.init || api.init() == 0;
        if (started) {
            ++users;
        } else {
            g_users.erase(handle);
        }
    }
    if (!started) {
        Log(kLogWarning, "HID library %s lacks functions or failed to start", file.c_str());
        dlclose(handle);
        return library;
    }
    library->m_handle = handle;
    library->m_api = api;
    library->m_loaded = true;
    library->m_kind = kind;
    return library;
}

std::unique_ptr<HidLibrary> HidLibrary::LoadSystem() {
    auto library = Open(kSystemLibrary, Kind::kSystem);
    if (!library->Loaded()) {
        Log(kLogWarning, "cannot load %s: %s", kSystemLibrary, dlerror());
    }
    return library;
}

std::unique_ptr<HidLibrary> HidLibrary::LoadVirtual(const std::string& scenario) {
    for (const std::string& candidate :
         VirtualLibraryCandidates(ExecutableFolder(), std::getenv("ZEPHYL_VIRTUAL_HID_LIBRARY"))) {
        auto library = Open(candidate, Kind::kVirtual);
        if (!library->Loaded()) {
            continue;
        }
        if (!scenario.empty()) {
            using LoadScenario = int (*)(const char*);
            auto load =
                reinterpret_cast<LoadScenario>(library->Symbol("zephyl_virtual_load_scenario"));
            if (!load || load(scenario.c_str()) != 0) {
                Log(kLogWarning, "virtual keyboard refused scenario %s", scenario.c_str());
                library->m_scenarioRefused = true;
            }
        }
        return library;
    }
    Log(kLogWarning, "cannot load the virtual keyboard library %s", kVirtualLibrary);
    return std::unique_ptr<HidLibrary>(new HidLibrary);
}

std::unique_ptr<HidLibrary> HidLibrary::LoadDefault() {
    bool requested;
    std::string scenario;
    {
        std::lock_guard lock(g_requestMutex);
        requested = g_virtualRequested;
        scenario = g_requestedScenario;
    }
    const char* variable = std::getenv("ZEPHYL_VIRTUAL_KEYBOARD");
    if (requested) {
        return LoadVirtual(scenario);
    }
    if (variable && *variable) {
        // The library reads the variable itself when it starts.
        return LoadVirtual();
    }
    return LoadSystem();
}

std::unique_ptr<HidLibrary> HidLibrary::FromTable(const HidApi& api) {
    std::unique_ptr<HidLibrary> library(new HidLibrary);
    if (api.Complete()) {
        library->m_api = api;
        library->m_loaded = true;
        library->m_kind = Kind::kInjected;
    }
    return library;
}

void HidLibrary::RequestVirtualKeyboard(const std::string& scenario) {
    std::lock_guard lock(g_requestMutex);
    g_virtualRequested = true;
    g_requestedScenario = scenario;
}

HidLibrary::~HidLibrary() {
    if (m_handle) {
        {
            std::lock_guard lock(g_usersMutex);
            if (--g_users[m_handle] == 0) {
                g_users.erase(m_handle);
                if (m_api.exit) {
                    m_api.exit();
                }
            }
        }
        dlclose(m_handle);
    }
}

void* HidLibrary::Symbol(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

std::vector<HidInterfaceInfo> HidLibrary::Enumerate() const {
    std::vector<HidInterfaceInfo> interfaces;
    if (!m_loaded) {
        return interfaces;
    }
    hid_device_info* list = m_api.enumerate(0, 0);
    for (const hid_device_info* item = list; item; item = item->next) {
        HidInterfaceInfo info;
        info.path = item->path ? item->path : "";
        info.vid = item->vendor_id;
        info.pid = item->product_id;
        info.release = item->release_number;
        info.usagePage = item->usage_page;
        info.usage = item->usage;
        info.interfaceNumber = item->interface_number;
        info.busType = static_cast<int>(item->bus_type);
        info.product = WideToUtf8(item->product_string);
        interfaces.push_back(std::move(info));
    }
    if (list) {
        m_api.free_enumeration(list);
    }
    return interfaces;
}

hid_device* HidLibrary::Open(const std::string& path, int* error) const {
    if (error) {
        *error = 0;
    }
    if (!m_loaded) {
        return nullptr;
    }
    errno = 0;
    hid_device* device = m_api.open_path(path.c_str());
    if (device || !error) {
        return device;
    }
    *error = errno;
    // hidapi words its message after the failed open(2), which may leave another errno: the
    // node itself says whether this user may open it.
    if (*error != EACCES && *error != EPERM && ::access(path.c_str(), R_OK | W_OK) != 0 &&
        (errno == EACCES || errno == EPERM)) {
        *error = errno;
    }
    return nullptr;
}

void HidLibrary::Close(hid_device* device) const {
    if (m_loaded && device) {
        m_api.close(device);
    }
}

HidCapabilities HidLibrary::Capabilities(hid_device* device, const HidInterfaceInfo& info) const {
    std::vector<uint8_t> descriptor;
    if (m_loaded && m_api.get_report_descriptor && device) {
        descriptor.resize(kMaxDescriptorSize);
        const int size = m_api.get_report_descriptor(device, descriptor.data(), descriptor.size());
        descriptor.resize(size > 0 ? static_cast<size_t>(size) : 0);
    }
    if (descriptor.empty()) {
        descriptor = ReadSysfsDescriptor(info.path);
    }
    const auto collections = ParseReportDescriptor(descriptor);
    if (collections.empty()) {
        HidCapabilities caps;
        caps.usagePage = info.usagePage;
        caps.usage = info.usage;
        return caps;
    }
    return SelectCollection(collections, info.usagePage, info.usage);
}

bool HidLibrary::SendFeatureReport(hid_device* device, std::span<const uint8_t> report) const {
    return m_loaded && device &&
           m_api.send_feature_report(device, report.data(), report.size()) > 0;
}

int HidLibrary::GetFeatureReport(hid_device* device, std::span<uint8_t> report) const {
    if (!m_loaded || !device) {
        return -1;
    }
    const int result = m_api.get_feature_report(device, report.data(), report.size());
    // hidapi counts the report-id byte it leaves at byte 0; the transport counts data bytes.
    return result > 0 ? result - 1 : result;
}

int HidLibrary::Write(hid_device* device, std::span<const uint8_t> report) const {
    if (!m_loaded || !device) {
        return -1;
    }
    return m_api.write(device, report.data(), report.size());
}

int HidLibrary::ReadTimeout(hid_device* device, std::span<uint8_t> buffer, int timeoutMs,
                            int inputLength) const {
    if (!m_loaded || !device) {
        return -1;
    }
    const auto last = static_cast<size_t>(inputLength - 1);
    const uint8_t byteAfterData = inputLength > 1 && last < buffer.size() ? buffer[last] : 0;
    int result = m_api.read_timeout(device, buffer.data(), buffer.size(), timeoutMs);
    // hidraw hands unnumbered input reports on without a report-id byte. Should a library hand
    // over the whole report instead (one byte longer than its data, starting with id 0), drop
    // that byte so answer byte 0 is the first data byte either way, and leave the byte after
    // the data as it was, as a report without the id would have.
    if (inputLength > 1 && result == inputLength && buffer[0] == 0) {
        std::memmove(buffer.data(), buffer.data() + 1, last);
        buffer[last] = byteAfterData;
        --result;
    }
    return result;
}

}  // namespace zephyl
