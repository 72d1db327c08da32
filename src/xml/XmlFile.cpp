// SPDX-License-Identifier: GPL-2.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>

#include "xml/Utf.h"
#include "xml/XmlDocumentImpl.h"
#include "xml/XmlEncoding.h"

namespace zephyl {

namespace {

using xml::ResultLog;

constexpr size_t kSniffLength = 1024;
// Offsets into the text are 32-bit, and no file of ours comes near this.
constexpr size_t kMaxFileLength = static_cast<size_t>(std::numeric_limits<int32_t>::max()) - 16;
constexpr int kBomFlags =
    XmlDocument::kFlagUtf8Bom | XmlDocument::kFlagUtf16Le | XmlDocument::kFlagUtf16Be;

struct ByteOrderMark {
    std::string_view bytes;
    const char* encoding;
    int flag;
};

// Tested in this order, both on load and on save.
constexpr ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", "UTF-8", XmlDocument::kFlagUtf8Bom},
    {"\xFF\xFE", "UTF-16LE", XmlDocument::kFlagUtf16Le},
    {"\xFE\xFF", "UTF-16BE", XmlDocument::kFlagUtf16Be},
};

/// Reads a whole file; returns the errno of the failure, or 0.
int ReadAll(int fd, std::string& bytes) {
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return errno;
    // A FIFO or a device may never end (/dev/zero) or never start; documents are files.
    if (!S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    if (static_cast<uint64_t>(info.st_size) > kMaxFileLength)
        return EFBIG;
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return errno;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        if (bytes.size() + static_cast<size_t>(got) > kMaxFileLength)
            return EFBIG;
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

/// Removes the zero bytes; returns how many there were.
size_t RemoveZeroBytes(std::string& bytes) {
    const size_t first = bytes.find('\0');
    if (first == std::string::npos)
        return 0;
    size_t out = first;
    for (size_t i = first; i < bytes.size(); ++i) {
        if (bytes[i] != '\0')
            bytes[out++] = bytes[i];
    }
    const size_t removed = bytes.size() - out;
    bytes.resize(out);
    return removed;
}

}  // namespace

void XmlDocument::Impl::FileError(int error) {
    std::string message = std::system_category().message(error);
    const size_t lineBreak = message.find_first_of("\r\n");
    if (lineBreak != std::string::npos)
        message.resize(lineBreak);
    log.Add("file_error", {{"msg", ResultLog::FromUtf8(message)}, {"n", ResultLog::Number(error)}});
}

bool XmlDocument::Impl::Load(const std::string& path) {
    log.Clear();
    text.clear();
    ++generation;
    index.Reset(0);
    ResetCursor();

    // O_NONBLOCK: opening a FIFO without a writer would wait for one for ever.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        FileError(errno);
        return false;
    }
    std::string bytes;
    const int readError = ReadAll(fd, bytes);
    if (readError != 0) {
        FileError(readError);
        close(fd);
        return false;
    }

    size_t offset = 0;
    int bomFlag = 0;
    std::string encoding;
    for (const ByteOrderMark& mark : kMarks) {
        if (std::string_view(bytes).starts_with(mark.bytes)) {
            offset = mark.bytes.size();
            bomFlag = mark.flag;
            encoding = mark.encoding;
            log.Add("bom");
            break;
        }
    }
    if (bomFlag == 0) {
        const std::u16string sniff = Utf8ToUtf16(std::string_view(bytes).substr(0, kSniffLength));
        encoding = xml::FindDeclaredEncoding(sniff);
        if (encoding.empty() && !bytes.empty() && bytes[0] == '<')
            encoding = "UTF-8";
    }

    if (bomFlag == kFlagUtf16Le || bomFlag == kFlagUtf16Be) {
        // A trailing odd byte is half a unit and cannot be read.
        const size_t units = (bytes.size() - offset) / 2;
        const bool bigEndian = bomFlag == kFlagUtf16Be;
        text.reserve(units);
        size_t zeros = 0;
        for (size_t i = 0; i < units; ++i) {
            const auto first = static_cast<unsigned char>(bytes[offset + 2 * i]);
            const auto second = static_cast<unsigned char>(bytes[offset + 2 * i + 1]);
            const auto unit =
                static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
            if (unit == 0) {
                ++zeros;
            } else {
                text.push_back(unit);
            }
        }
        log.Add("read", {{"encoding", ResultLog::FromUtf8(encoding)},
                         {"length", ResultLog::Number(static_cast<int64_t>(units))}});
        if (zeros != 0) {
            log.Add("nulls_removed", {{"count", ResultLog::Number(static_cast<int64_t>(zeros))}});
        }
        if (bigEndian)
            log.Add("endian_swap");
    } else {
        bytes.erase(0, offset);
        const size_t length = bytes.size();
        const size_t zeros = RemoveZeroBytes(bytes);
        const bool undeclared = encoding.empty();
        if (undeclared && xml::LooksLikeUtf8(bytes))
            encoding = "UTF-8";
        log.Add("read", {{"encoding", ResultLog::FromUtf8(encoding)},
                         {"length", ResultLog::Number(static_cast<int64_t>(length))}});
        if (zeros != 0) {
            log.Add("nulls_removed", {{"count", ResultLog::Number(static_cast<int64_t>(zeros))}});
        }
        if (undeclared)
            log.Add("utf8_detection");
        int codePage = xml::CodePageFromName(encoding);
        if (codePage == 0)
            codePage = xml::kCodePageDefault8Bit;
        text = xml::DecodeBytes(bytes, codePage);
        log.Add("converted_to", {{"encoding", u"UTF-16"},
                                 {"length", ResultLog::Number(static_cast<int64_t>(text.size()))}});
    }
    bytes.clear();
    bytes.shrink_to_fit();

    if (close(fd) != 0)
        FileError(errno);
    flags = (flags & ~kBomFlags) | bomFlag;
    return Reindex();
}

bool XmlDocument::Impl::Save(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        FileError(errno);
        return false;
    }
    std::string bytes;
    std::string encoding;
    for (const ByteOrderMark& mark : kMarks) {
        if ((flags & mark.flag) != 0) {
            bytes = mark.bytes;
            encoding = mark.encoding;
            log.Add("bom");
            break;
        }
    }
    if (encoding.empty()) {
        encoding = xml::FindDeclaredEncoding(std::u16string_view(text).substr(0, kSniffLength));
        if (encoding.empty())
            encoding = "UTF-8";
    }
    int codePage = xml::CodePageFromName(encoding);
    if (codePage == 0)
        codePage = xml::kCodePageDefault8Bit;

    size_t written;
    if (codePage == xml::kCodePageUtf16Le || codePage == xml::kCodePageUtf16Be) {
        const bool bigEndian = codePage == xml::kCodePageUtf16Be;
        const size_t offset = bytes.size();
        bytes.resize(offset + text.size() * 2);
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i];
            const auto high = static_cast<char>(unit >> 8);
            const auto low = static_cast<char>(unit & 0xFF);
            bytes[offset + 2 * i] = bigEndian ? high : low;
            bytes[offset + 2 * i + 1] = bigEndian ? low : high;
        }
        if (bigEndian)
            log.Add("endian_swap");
        written = text.size();
    } else {
        bool lossy = false;
        bytes += xml::EncodeText(text, codePage, lossy);
        log.Add("converted_from",
                {{"encoding", u"UTF-16"},
                 {"length", ResultLog::Number(static_cast<int64_t>(text.size()))}});
        if (lossy && xml::CanReportConversionLoss(codePage))
            log.Add("conversion_loss");
        written = bytes.size();
    }
    log.Add("write", {{"encoding", ResultLog::FromUtf8(encoding)},
                      {"length", ResultLog::Number(static_cast<int64_t>(written))}});

    const int writeError = WriteAll(fd, bytes);
    if (writeError != 0) {
        FileError(writeError);
        close(fd);
        return false;
    }
    if (close(fd) != 0) {
        FileError(errno);
        return false;
    }
    return true;
}

}  // namespace zephyl
