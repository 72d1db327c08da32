// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/Unpack.h"

#include "platform/Log.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zephyl {
namespace {

// ZIP archives made on Unix keep the file mode in the high half of the external attributes.
constexpr unsigned kHostUnix = 3;
constexpr std::size_t kNameLimit = 4096;
constexpr std::size_t kLinkLimit = 4096;

struct Entry {
    std::string name;
    bool directory = false;
    bool link = false;
    bool executable = false;
    unsigned long long size = 0;  ///< as the archive states it, before it is counted for real
};

std::vector<std::string> Steps(const std::string& path) {
    std::vector<std::string> steps;
    std::string step;
    for (char c : path) {
        if (c == '/') {
            if (!step.empty()) {
                steps.push_back(step);
            }
            step.clear();
        } else {
            step.push_back(c);
        }
    }
    if (!step.empty()) {
        steps.push_back(step);
    }
    return steps;
}

/// The steps of an entry name without `.` steps, which name no level of their own.
std::vector<std::string> NormalizedSteps(const std::string& path) {
    std::vector<std::string> steps = Steps(path);
    std::erase(steps, std::string("."));
    return steps;
}

std::string Join(const std::vector<std::string>& steps) {
    std::string joined;
    for (const std::string& step : steps) {
        if (!joined.empty()) {
            joined.push_back('/');
        }
        joined += step;
    }
    return joined;
}

/// Whether a folder on the way to the entry is one of the archive's links: writing through it
/// would land wherever the link leads.
bool EntryPassesThroughLink(const Entry& entry, const std::set<std::string>& linkNames) {
    const std::vector<std::string> steps = NormalizedSteps(entry.name);
    if (steps.empty()) {
        return false;  // the folder itself ("./")
    }
    std::vector<std::string> prefix;
    const std::size_t folders = entry.directory ? steps.size() : steps.size() - 1;
    for (std::size_t i = 0; i < folders; ++i) {
        prefix.push_back(steps[i]);
        if (linkNames.contains(Join(prefix))) {
            return true;
        }
    }
    return false;
}

bool ReadCurrent(unzFile archive, Entry& entry, std::string& linkTarget, bool& readable) {
    unz_file_info info{};
    char name[kNameLimit + 1] = {};
    readable = true;
    if (unzGetCurrentFileInfo(archive, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
        readable = false;
        return false;
    }
    if (info.size_filename > kNameLimit) {
        return false;
    }
    entry.name.assign(name, info.size_filename);
    // A name with a zero byte in it is not the name the archive shows elsewhere.
    if (entry.name.find('\0') != std::string::npos) {
        return false;
    }
    const unsigned mode = (info.version >> 8) == kHostUnix ? info.external_fa >> 16 : 0;
    const unsigned type = mode & S_IFMT;
    entry.directory = !entry.name.empty() && entry.name.back() == '/';
    entry.link = type == S_IFLNK;
    entry.executable = (mode & 0111) != 0;
    entry.size = info.uncompressed_size;
    if (type != 0 && type != S_IFREG && type != S_IFDIR && type != S_IFLNK) {
        return false;  // devices, pipes and sockets have no place in a package
    }
    if (entry.link) {
        if (info.uncompressed_size > kLinkLimit || unzOpenCurrentFile(archive) != UNZ_OK) {
            return false;
        }
        std::string target(info.uncompressed_size, '\0');
        const int read =
            unzReadCurrentFile(archive, target.data(), static_cast<unsigned>(target.size()));
        unzCloseCurrentFile(archive);
        if (read != static_cast<int>(target.size())) {
            return false;
        }
        linkTarget = target;
    }
    return true;
}

bool MakeFolders(const std::string& folder, const std::vector<std::string>& steps,
                 std::size_t count) {
    std::string path = folder;
    for (std::size_t i = 0; i < count; ++i) {
        path += "/" + steps[i];
        if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        struct stat status {};
        // A folder step must be a real folder: a link in its place could lead anywhere.
        if (lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            return false;
        }
    }
    return true;
}

enum class Extracted { kDone, kFailed, kTooLarge };

/// Writes the current entry to `path`, counting what it really unpacks to against `budget`
/// (the sizes an archive states are not to be trusted).
Extracted ExtractFile(unzFile archive, const std::string& path, bool executable,
                      unsigned long long& budget) {
    if (unzOpenCurrentFile(archive) != UNZ_OK) {
        return Extracted::kFailed;
    }
    bool tooLarge = false;
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        executable ? 0755 : 0644);
    bool ok = fd >= 0;
    char buffer[16384];
    while (ok) {
        const int read = unzReadCurrentFile(archive, buffer, sizeof buffer);
        if (read < 0) {
            ok = false;
        } else if (read == 0) {
            break;
        } else if (static_cast<unsigned long long>(read) > budget) {
            tooLarge = true;
            ok = false;
        } else {
            budget -= static_cast<unsigned long long>(read);
            const char* data = buffer;
            std::size_t left = static_cast<std::size_t>(read);
            while (ok && left > 0) {
                const ssize_t written = write(fd, data, left);
                if (written < 0 && errno == EINTR) {
                    continue;
                }
                ok = written > 0;
                if (ok) {
                    data += written;
                    left -= static_cast<std::size_t>(written);
                }
            }
        }
    }
    if (fd >= 0 && close(fd) != 0) {
        ok = false;
    }
    // A broken entry's CRC check fails here.
    if (unzCloseCurrentFile(archive) != UNZ_OK) {
        ok = false;
    }
    if (tooLarge) {
        return Extracted::kTooLarge;
    }
    return ok ? Extracted::kDone : Extracted::kFailed;
}

}  // namespace

bool IsContainedEntryName(const std::string& entryName) {
    if (entryName.empty() || entryName.front() == '/' ||
        entryName.find('\\') != std::string::npos) {
        return false;
    }
    const std::vector<std::string> steps = Steps(entryName);
    if (steps.empty()) {
        return false;
    }
    for (const std::string& step : steps) {
        if (step == "..") {
            return false;
        }
    }
    return true;
}

bool IsContainedLink(const std::string& entryName, const std::string& target) {
    if (!IsContainedEntryName(entryName) || target.empty() || target.front() == '/') {
        return false;
    }
    // Walk from the link's own folder; going above the top at any point leaves the folder.
    std::vector<std::string> place = NormalizedSteps(entryName);
    if (place.empty()) {
        return false;  // a link in the folder's own place
    }
    place.pop_back();
    for (const std::string& step : NormalizedSteps(target)) {
        if (step == "..") {
            if (place.empty()) {
                return false;
            }
            place.pop_back();
        } else {
            place.push_back(step);
        }
    }
    // A link to the top itself is a way out too: `link/..` is the folder's parent.
    return !place.empty();
}

bool LinkPassesThroughLink(const std::string& entryName, const std::string& target,
                           const std::set<std::string>& linkNames) {
    std::vector<std::string> place = NormalizedSteps(entryName);
    if (place.empty()) {
        return true;
    }
    place.pop_back();
    for (const std::string& step : NormalizedSteps(target)) {
        // The place reached so far is used as a folder by the next step.
        if (!place.empty() && linkNames.contains(Join(place))) {
            return true;
        }
        if (step == "..") {
            if (place.empty()) {
                return true;  // not contained anyway; IsContainedLink says so
            }
            place.pop_back();
        } else {
            place.push_back(step);
        }
    }
    return false;
}

std::string NormalizedEntryName(const std::string& entryName) {
    return Join(NormalizedSteps(entryName));
}

UnpackResult UnpackAll(const std::string& archivePath, const std::string& folder,
                       unsigned long long sizeLimit) {
    unzFile archive = unzOpen64(archivePath.c_str());
    if (archive == nullptr) {
        return UnpackResult::kCannotOpen;
    }
    // Check every entry first: a refused archive writes nothing at all.
    std::vector<Entry> entries;
    std::vector<std::string> links;
    std::set<std::string> linkNames;
    unsigned long long stated = 0;
    bool refused = false;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK && !refused;
         status = unzGoToNextFile(archive)) {
        Entry entry;
        std::string target;
        bool readable = true;
        if (!ReadCurrent(archive, entry, target, readable) || !IsContainedEntryName(entry.name) ||
            (entry.link && !IsContainedLink(entry.name, target))) {
            Log(kLogWarning, "package %s: entry \"%s\" refused", archivePath.c_str(),
                entry.name.c_str());
            refused = true;
        }
        if (entry.link) {
            linkNames.insert(NormalizedEntryName(entry.name));
        }
        // Each counted at most past the limit, so no sum of stated sizes wraps around.
        stated += entry.link ? 0 : std::min(entry.size, sizeLimit + 1);
        entries.push_back(entry);
        links.push_back(target);
    }
    // Links lead where the walk over their text says only when no step of it is another link.
    for (std::size_t i = 0; i < entries.size() && !refused; ++i) {
        if (EntryPassesThroughLink(entries[i], linkNames) ||
            (entries[i].link && LinkPassesThroughLink(entries[i].name, links[i], linkNames))) {
            Log(kLogWarning, "package %s: entry \"%s\" goes through a link", archivePath.c_str(),
                entries[i].name.c_str());
            refused = true;
        }
    }
    if (refused) {
        unzClose(archive);
        return UnpackResult::kRefused;
    }
    if (stated > sizeLimit) {
        Log(kLogWarning, "package %s: unpacks to %llu bytes", archivePath.c_str(), stated);
        unzClose(archive);
        return UnpackResult::kTooLarge;
    }

    bool ok = true;
    bool tooLarge = false;
    unsigned long long budget = sizeLimit;
    std::size_t index = 0;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK && ok && index < entries.size();
         status = unzGoToNextFile(archive), ++index) {
        const Entry& entry = entries[index];
        const std::vector<std::string> steps = Steps(entry.name);
        const std::string path = folder + "/" + entry.name;
        if (entry.directory) {
            ok = MakeFolders(folder, steps, steps.size());
        } else if (!MakeFolders(folder, steps, steps.size() - 1)) {
            ok = false;
        } else if (entry.link) {
            unlink(path.c_str());
            ok = symlink(links[index].c_str(), path.c_str()) == 0;
        } else {
            const Extracted extracted = ExtractFile(archive, path, entry.executable, budget);
            tooLarge = extracted == Extracted::kTooLarge;
            ok = extracted == Extracted::kDone;
        }
        if (!ok) {
            Log(kLogWarning, "package %s: entry \"%s\" cannot be written", archivePath.c_str(),
                entry.name.c_str());
        }
    }
    unzClose(archive);
    if (tooLarge) {
        return UnpackResult::kTooLarge;
    }
    return ok ? UnpackResult::kDone : UnpackResult::kWriteFailed;
}

}  // namespace zephyl
