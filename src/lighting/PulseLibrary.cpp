// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/PulseLibrary.h"

#include "platform/RuntimeLibrary.h"

#include <atomic>

namespace zephyl {
namespace {

RuntimeLibrary<PulseApi> Open(const std::string& file) {
    return OpenRuntimeLibrary<PulseApi>(file,
                                        [](void* library, PulseApi& api, std::string& missing) {
#define ZEPHYL_PULSE_RESOLVE(name)                                                \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, "pa_" #name)); \
    if (api.name == nullptr && missing.empty()) {                                 \
        missing = "pa_" #name " is missing from it";                              \
    }
                                            ZEPHYL_PULSE_FUNCTIONS(ZEPHYL_PULSE_RESOLVE)
#undef ZEPHYL_PULSE_RESOLVE
                                            return missing.empty();
                                        });
}

std::atomic<const PulseApi*> g_opened{nullptr};

}  // namespace

const PulseApi* Pulse(std::string* error) {
    const PulseApi* api =
        RuntimeLibraryApi<PulseApi>("libpulse.so.0", "ZEPHYL_PULSE_LIBRARY", &Open, error);
    if (api != nullptr) {
        g_opened.store(api);
    }
    return api;
}

const PulseApi& Pa() {
    return *g_opened.load();
}

}  // namespace zephyl
