// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/CurlLibrary.h"

#include "platform/RuntimeLibrary.h"

namespace zephyl {
namespace {

template <typename Function>
void Resolve(void* library, const char* name, Function& function, std::string& missing) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr && missing.empty()) {
        missing = std::string(name) + " is missing from it";
    }
}

RuntimeLibrary<CurlApi> Open(const std::string& file) {
    RuntimeLibrary<CurlApi> opened =
        OpenRuntimeLibrary<CurlApi>(file, [](void* library, CurlApi& api, std::string& missing) {
            Resolve(library, "curl_global_init", api.globalInit, missing);
            Resolve(library, "curl_easy_init", api.easyInit, missing);
            Resolve(library, "curl_easy_setopt", api.easySetopt, missing);
            Resolve(library, "curl_easy_perform", api.easyPerform, missing);
            Resolve(library, "curl_easy_getinfo", api.easyGetinfo, missing);
            Resolve(library, "curl_easy_strerror", api.easyStrerror, missing);
            Resolve(library, "curl_easy_cleanup", api.easyCleanup, missing);
            Resolve(library, "curl_slist_append", api.slistAppend, missing);
            Resolve(library, "curl_slist_free_all", api.slistFreeAll, missing);
            return missing.empty();
        });
    if (opened.error.empty() && opened.api.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        opened.error = file + " could not be initialised";
    }
    return opened;
}

}  // namespace

const CurlApi* Curl(std::string* error) {
    return RuntimeLibraryApi<CurlApi>("libcurl.so.4", "ZEPHYL_CURL_LIBRARY", &Open, error);
}

}  // namespace zephyl
