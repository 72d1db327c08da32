// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/PulseLibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>

namespace zephyl {
namespace {

constexpr const char* kLibrary = "libpulse.so.0";

struct Loaded {
    PulseApi api;
    std::string error;  ///< empty when the library and every function were found
};

Loaded Open(const std::string& file) {
    Loaded loaded;
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        loaded.error = file + " could not be loaded: " + (reason ? reason : "unknown reason");
        return loaded;
    }
#define ZEPHYL_PULSE_RESOLVE(name)                                                              \
    loaded.api.name = reinterpret_cast<decltype(loaded.api.name)>(dlsym(library, "pa_" #name)); \
    if (loaded.api.name == nullptr && loaded.error.empty()) {                                   \
        loaded.error = file + " cannot be used: pa_" #name " is missing from it";               \
    }
    ZEPHYL_PULSE_FUNCTIONS(ZEPHYL_PULSE_RESOLVE)
#undef ZEPHYL_PULSE_RESOLVE
    if (!loaded.error.empty()) {
        dlclose(library);
    }
    // Otherwise the library stays loaded for the rest of the run.
    return loaded;
}

std::atomic<const PulseApi*> g_opened{nullptr};

}  // namespace

const PulseApi* Pulse(std::string* error) {
    const char* overridden = std::getenv("ZEPHYL_PULSE_LIBRARY");
    const std::string file = overridden != nullptr && *overridden != '\0' ? overridden : kLibrary;
    static std::mutex mutex;
    static std::map<std::string, Loaded> opened;
    std::lock_guard lock(mutex);
    auto found = opened.find(file);
    if (found == opened.end()) {
        found = opened.emplace(file, Open(file)).first;
    }
    if (!found->second.error.empty()) {
        if (error != nullptr) {
            *error = found->second.error;
        }
        return nullptr;
    }
    g_opened.store(&found->second.api);
    return &found->second.api;
}

const PulseApi& Pa() {
    return *g_opened.load();
}

}  // namespace zephyl
