// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/ContainedPath.h"

#include <climits>
#include <cstdlib>
#include <memory>

namespace zephyl {
namespace {

bool HasParentStep(const std::string& name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = name.find('/', start);
        const std::size_t length = (end == std::string::npos ? name.size() : end) - start;
        if (name.compare(start, length, "..") == 0 && length == 2) {
            return true;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

}  // namespace

ContainedFile ResolveContainedFile(const std::string& folder, const std::string& name,
                                   std::string& resolved) {
    resolved.clear();
    if (name.empty()) {
        return ContainedFile::kMissing;
    }
    if (name.front() == '/' || HasParentStep(name)) {
        return ContainedFile::kOutside;
    }
    const std::string realFolder = RealPath(folder);
    if (realFolder.empty()) {
        return ContainedFile::kMissing;
    }
    const std::string realFile = RealPath(folder + "/" + name);
    if (realFile.empty()) {
        return ContainedFile::kMissing;
    }
    // Inside means below it: the folder itself is no file to run.
    const std::string prefix = realFolder == "/" ? realFolder : realFolder + "/";
    if (realFile.size() <= prefix.size() || realFile.compare(0, prefix.size(), prefix) != 0) {
        return ContainedFile::kOutside;
    }
    resolved = realFile;
    return ContainedFile::kInside;
}

}  // namespace zephyl
