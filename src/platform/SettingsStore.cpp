// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/SettingsStore.h"

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zephyl {
namespace {

constexpr const char* kSection = "SOFTWARE";

// The window thread and the worker may both store values; one writer at a time.
std::mutex g_storeMutex;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

/// The file's lines; false when it cannot be read, is not a regular file (a FIFO would block
/// every start) or is larger than a settings file can be.
bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    std::string text;
    if (ReadRegularFile(path, kSettingsFileLimit, text) != FileReadStatus::kRead) {
        return false;
    }
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return true;
}

bool IsSectionLine(const std::string& trimmed) {
    return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

// Index of the line holding `name` inside our section, or -1; `sectionEnd` gets the index after
// the section's last line (or -1 when the section is missing).
int FindValueLine(const std::vector<std::string>& lines, const std::string& name, int& sectionEnd) {
    bool inSection = false;
    sectionEnd = -1;
    int found = -1;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const std::string trimmed = Trim(lines[i]);
        if (IsSectionLine(trimmed)) {
            inSection = trimmed.substr(1, trimmed.size() - 2) == kSection;
            if (inSection) {
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!trimmed.empty()) {
            sectionEnd = i + 1;
        }
        const auto equals = trimmed.find('=');
        if (found < 0 && equals != std::string::npos && Trim(trimmed.substr(0, equals)) == name) {
            found = i;
        }
    }
    return found;
}

}  // namespace

int ParseDecimal(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return 0;
    }
    return static_cast<int>(value);
}

SettingsStore::SettingsStore(const std::string& softwareName)
    : m_folder(UserConfigHome() + "/" + SafeFileComponent(softwareName)),
      m_path(m_folder + "/settings.ini") {}

bool SettingsStore::Exists() const {
    return InspectRegularFile(m_path, kSettingsFileLimit) == FileReadStatus::kRead;
}

bool SettingsStore::Refused() const {
    const FileReadStatus status = InspectRegularFile(m_path, kSettingsFileLimit);
    return status == FileReadStatus::kNotRegularFile || status == FileReadStatus::kTooLarge;
}

SettingsStore::OpenResult SettingsStore::OpenOrCreate() const {
    std::lock_guard lock(g_storeMutex);
    if (access(m_path.c_str(), F_OK) == 0) {
        return InspectRegularFile(m_path, kSettingsFileLimit) == FileReadStatus::kRead
                   ? OpenResult::kOpened
                   : OpenResult::kFailed;
    }
    std::error_code error;
    if (std::filesystem::is_symlink(m_path, error)) {
        // Its target is missing (a drive not mounted, a file moved away): creating one there,
        // or a file in the link's place, would hide the user's real settings.
        Log(kLogWarning, "the settings file %s is a link to nothing", m_path.c_str());
        return OpenResult::kFailed;
    }
    if (!CreateDirectoryPath(m_folder)) {
        return OpenResult::kFailed;
    }
    std::ofstream out(m_path);
    out << '[' << kSection << "]\n";
    out.close();
    return out ? OpenResult::kCreated : OpenResult::kFailed;
}

std::optional<std::string> SettingsStore::ReadValue(const std::string& name) const {
    std::lock_guard lock(g_storeMutex);
    std::vector<std::string> lines;
    if (!ReadLines(m_path, lines)) {
        return std::nullopt;
    }
    int sectionEnd = -1;
    const int line = FindValueLine(lines, name, sectionEnd);
    if (line < 0) {
        return std::nullopt;
    }
    const std::string trimmed = Trim(lines[line]);
    return Trim(trimmed.substr(trimmed.find('=') + 1));
}

int SettingsStore::ReadInt(const std::string& name) const {
    const auto text = ReadValue(name);
    return text ? ParseDecimal(*text) : 0;
}

bool SettingsStore::WriteValue(const std::string& name, const std::string& value) const {
    return StoreValue(name, value).Ok();
}

SettingsWriteResult SettingsStore::StoreValue(const std::string& name,
                                              const std::string& value) const {
    std::lock_guard lock(g_storeMutex);
    SettingsWriteResult result;
    result.path = m_path;
    const auto fail = [&result](SettingsWriteError error) {
        result.error = error;
        return result;
    };
    // The file the user keeps is rewritten as it is: through a link to its target, with its own
    // permissions, and not at all when it is read-only.
    std::error_code error;
    std::string target = m_path;
    if (std::filesystem::is_symlink(m_path, error)) {
        if (!std::filesystem::exists(m_path, error)) {
            // Writing a file in the link's place would leave the user's real file detached.
            result.linkTarget = std::filesystem::read_symlink(m_path, error).string();
            return fail(SettingsWriteError::kDanglingLink);
        }
        target = std::filesystem::canonical(m_path, error).string();
        if (error) {
            return fail(SettingsWriteError::kCannotWrite);
        }
    }
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    std::vector<std::string> lines;
    if (exists) {
        if (!S_ISREG(existing.st_mode)) {
            return fail(SettingsWriteError::kNotAFile);
        }
        if (access(target.c_str(), R_OK) != 0 || !ReadLines(target, lines)) {
            return fail(SettingsWriteError::kUnreadable);  // never overwritten
        }
    } else if (!CreateDirectoryPath(m_folder)) {
        return fail(SettingsWriteError::kCannotWrite);
    }
    int sectionEnd = -1;
    const int line = FindValueLine(lines, name, sectionEnd);
    const std::string entry = name + "=" + value;
    if (line >= 0 && Trim(lines[line]) == entry) {
        return result;  // already stored: the file is left as it is
    }
    if (line >= 0) {
        lines[line] = entry;
    } else if (sectionEnd >= 0) {
        lines.insert(lines.begin() + sectionEnd, entry);
    } else {
        lines.push_back(std::string("[") + kSection + "]");
        lines.push_back(entry);
    }
    // Read-only by its mode (which even root's access check would pass over) or to this user;
    // the same for the folder the replacement is written in.
    if (exists && ((existing.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0)) {
        return fail(SettingsWriteError::kReadOnly);
    }
    const std::string folder = std::filesystem::path(target).parent_path().string();
    struct stat folderStatus {};
    if (stat(folder.c_str(), &folderStatus) == 0 &&
        ((folderStatus.st_mode & 0222) == 0 || access(folder.c_str(), W_OK) != 0)) {
        return fail(SettingsWriteError::kReadOnly);
    }
    const std::string temporary = target + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& text : lines) {
            out << text << '\n';
        }
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return fail(SettingsWriteError::kCannotWrite);
        }
    }
    if (exists) {
        chmod(temporary.c_str(), existing.st_mode & 07777);
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        return fail(SettingsWriteError::kCannotWrite);
    }
    return result;
}

bool SettingsStore::WriteInt(const std::string& name, int value) const {
    return WriteValue(name, std::to_string(value));
}

}  // namespace zephyl
