// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace zephyl {
namespace {

/// A descriptor that closes itself.
class OpenFile {
public:
    explicit OpenFile(int fd) : m_fd(fd) {}
    ~OpenFile() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

/// Opens `path` for reading when it is a regular file of at most `limit` bytes. O_NONBLOCK
/// keeps the open of a FIFO without a writer from waiting for one; it is cleared again for a
/// regular file, where it changes nothing anyway.
FileReadStatus OpenRegularFile(const std::string& path, std::uintmax_t limit, int& fd,
                               std::uintmax_t& size) {
    fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? FileReadStatus::kMissing
                                                   : FileReadStatus::kUnreadable;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return FileReadStatus::kUnreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        return FileReadStatus::kNotRegularFile;
    }
    size = static_cast<std::uintmax_t>(info.st_size);
    if (size > limit) {
        return FileReadStatus::kTooLarge;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return FileReadStatus::kUnreadable;
    }
    return FileReadStatus::kRead;
}

template <typename Bytes>
FileReadStatus ReadCapped(const std::string& path, std::size_t limit, Bytes& bytes) {
    bytes.clear();
    int descriptor = -1;
    std::uintmax_t size = 0;
    const FileReadStatus opened = OpenRegularFile(path, limit, descriptor, size);
    const OpenFile file(descriptor);
    if (opened != FileReadStatus::kRead) {
        return opened;
    }
    // The size is only a hint: the file may change while it is read, so the cap is kept on
    // what actually arrives.
    bytes.resize(static_cast<std::size_t>(size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > limit) {
                bytes.clear();
                return FileReadStatus::kTooLarge;
            }
            bytes.resize(std::min(limit + 1, got + got / 2 + 4096));
        }
        const ssize_t count =
            read(file.Get(), reinterpret_cast<char*>(bytes.data()) + got, bytes.size() - got);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            bytes.clear();
            return FileReadStatus::kUnreadable;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    if (got > limit) {
        bytes.clear();
        return FileReadStatus::kTooLarge;
    }
    bytes.resize(got);
    return FileReadStatus::kRead;
}

}  // namespace

FileReadStatus InspectRegularFile(const std::string& path, std::uintmax_t limit) {
    int descriptor = -1;
    std::uintmax_t size = 0;
    const FileReadStatus status = OpenRegularFile(path, limit, descriptor, size);
    const OpenFile file(descriptor);
    return status;
}

FileReadStatus ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes) {
    return ReadCapped(path, limit, bytes);
}

FileReadStatus ReadRegularFile(const std::string& path, std::size_t limit,
                               std::vector<std::uint8_t>& bytes) {
    return ReadCapped(path, limit, bytes);
}

bool CreateDirectoryPath(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return true;
    }
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

bool CreatePrivateDirectory(const std::string& path) {
    if (!CreateDirectoryPath(path)) {
        return false;
    }
    // Macros and pasted texts may be private: only the user reads the folder, whoever made it.
    std::error_code error;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    return !error;
}

bool DeleteTree(const std::string& path) {
    if (path.empty() || path == "/") {
        return false;
    }
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace zephyl
