// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/CurlLibrary.h"

#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <mutex>

namespace zephyl {
namespace {

constexpr const char* kLibrary = "libcurl.so.4";

struct Loaded {
    CurlApi api;
    std::string error;  ///< empty when the library and every function were found
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function, std::string& error) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr && error.empty()) {
        error = std::string(name) + " is missing from it";
    }
    return function != nullptr;
}

Loaded Open(const std::string& file) {
    Loaded loaded;
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        loaded.error = file + " could not be loaded: " + (reason ? reason : "unknown reason");
        return loaded;
    }
    CurlApi& api = loaded.api;
    std::string missing;
    Resolve(library, "curl_global_init", api.globalInit, missing);
    Resolve(library, "curl_easy_init", api.easyInit, missing);
    Resolve(library, "curl_easy_setopt", api.easySetopt, missing);
    Resolve(library, "curl_easy_perform", api.easyPerform, missing);
    Resolve(library, "curl_easy_getinfo", api.easyGetinfo, missing);
    Resolve(library, "curl_easy_strerror", api.easyStrerror, missing);
    Resolve(library, "curl_easy_cleanup", api.easyCleanup, missing);
    Resolve(library, "curl_slist_append", api.slistAppend, missing);
    Resolve(library, "curl_slist_free_all", api.slistFreeAll, missing);
    if (!missing.empty()) {
        loaded.error = file + " cannot be used: " + missing;
        dlclose(library);
        return loaded;
    }
    // The library stays loaded for the rest of the run.
    if (api.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        loaded.error = file + " could not be initialised";
    }
    return loaded;
}

}  // namespace

const CurlApi* Curl(std::string* error) {
    const char* overridden = std::getenv("ZEPHYL_CURL_LIBRARY");
    const std::string file = overridden != nullptr && *overridden != '\0' ? overridden : kLibrary;
    // Opened once per file for the rest of the run.
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
    return &found->second.api;
}

}  // namespace zephyl
