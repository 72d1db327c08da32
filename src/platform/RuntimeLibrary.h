// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

namespace zephyl {

/// A shared library the program opens when it first needs it rather than at start, with the
/// functions it takes from it (`Api`, a table of function pointers) or why it could not.
template <typename Api>
struct RuntimeLibrary {
    Api api;
    std::string error;  ///< empty when the library and every function were found
};

/// Opens `library` (RTLD_NOW, so a missing function is noticed here, not later) and lets
/// `resolve(handle, error)` fill the table, returning false with `error` naming what is
/// missing. A library that could not be used is closed again; one that could stays loaded.
template <typename Api, typename Resolve>
RuntimeLibrary<Api> OpenRuntimeLibrary(const std::string& library, Resolve resolve) {
    RuntimeLibrary<Api> opened;
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        opened.error = library + " could not be loaded: " + (reason ? reason : "unknown reason");
        return opened;
    }
    std::string missing;
    if (!resolve(handle, opened.api, missing)) {
        opened.error = library + " cannot be used: " + missing;
        dlclose(handle);
    }
    return opened;
}

/// The library of the file `variable` names (tests point it elsewhere), else of `file`, opened
/// by `open(file)` once per file for the rest of the run. Null when it cannot be used, with the
/// reason in `error`.
template <typename Api, typename Open>
const Api* RuntimeLibraryApi(const char* file, const char* variable, Open open,
                             std::string* error) {
    const char* overridden = std::getenv(variable);
    const std::string chosen = overridden != nullptr && *overridden != '\0' ? overridden : file;
    // Never destroyed, as the libraries are never closed: a download or a capture thread may
    // still be calling through a table while the program exits and runs its destructors.
    static auto* const mutex = new std::mutex;
    static auto* const opened = new std::map<std::string, RuntimeLibrary<Api>>;
    std::lock_guard lock(*mutex);
    auto found = opened->find(chosen);
    if (found == opened->end()) {
        found = opened->emplace(chosen, open(chosen)).first;
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
