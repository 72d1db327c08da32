// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/Download.h"

#include "platform/Log.h"
#include "update/CurlLibrary.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace zephyl {
namespace {

constexpr int kProgressStart = 0;
constexpr int kProgressOpened = 2;
constexpr int kProgressFileCreated = 8;
constexpr int kProgressLengthKnown = 10;
constexpr int kProgressDone = 100;

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::int64_t AllowedTransferMs(const DownloadOptions& options, std::int64_t receivedBytes) {
    if (options.totalTimeoutMs > 0) {
        return options.totalTimeoutMs;
    }
    const std::int64_t rate = std::max<std::int64_t>(options.minAverageBytesPerSecond, 1);
    return options.sizeTimeoutBaseMs + std::max<std::int64_t>(receivedBytes, 0) * 1000 / rate;
}

bool IsSecureAddress(const std::string& address) {
    constexpr std::string_view kScheme = "https://";
    if (address.size() <= kScheme.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(address[i])) != kScheme[i]) {
            return false;
        }
    }
    return address[kScheme.size()] != '/';
}

// What the transfer callbacks share with Download: the file, the block being filled and the
// counts that make the progress values.
struct Downloader::Transfer {
    Downloader* owner = nullptr;
    const CurlApi* api = nullptr;
    CURL* curl = nullptr;
    const ProgressFunction* progress = nullptr;
    int fd = -1;
    std::vector<char> block;
    std::int64_t length = -1;  ///< -1 until the answer's headers are in, then 0 when unknown
    std::int64_t written = 0;
    bool failed = false;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    bool outOfTime = false;

    void LearnLength() {
        if (length >= 0) {
            return;
        }
        curl_off_t announced = -1;
        api->easyGetinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        length = announced > 0 ? announced : 0;
        owner->Post(*progress, kProgressLengthKnown);
    }

    // One 10,240-byte read (or the shorter last one) reaches the file and moves the progress.
    bool Flush() {
        if (block.empty()) {
            return true;
        }
        if (!WriteAll(fd, block.data(), block.size())) {
            return false;
        }
        written += static_cast<std::int64_t>(block.size());
        block.clear();
        if (length > 0) {
            // Counted from the bytes received, so a last short read never passes 100.
            const std::int64_t share = kProgressLengthKnown + written * 90 / length;
            owner->Post(*progress, static_cast<int>(std::min<std::int64_t>(share, 100)));
        }
        return true;
    }

    static size_t OnData(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        const std::size_t bytes = size * count;
        self->LearnLength();
        if (self->written + static_cast<std::int64_t>(self->block.size() + bytes) >
            self->owner->m_options.maxBytes) {
            self->owner->m_lastError = "the package is larger than allowed";
            self->failed = true;
            return 0;
        }
        std::size_t used = 0;
        while (used < bytes) {
            const std::size_t take = std::min(bytes - used, kReadSize - self->block.size());
            self->block.insert(self->block.end(), data + used, data + used + take);
            used += take;
            if (self->block.size() == kReadSize && !self->Flush()) {
                self->owner->m_lastError = "the package file cannot be written";
                self->failed = true;
                return 0;
            }
        }
        return bytes;
    }

    static int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
        auto* self = static_cast<Transfer*>(user);
        if (!self->owner->GoesOn()) {
            return 1;
        }
        // Called at least once a second, also while nothing arrives.
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - self->start)
                                 .count();
        if (elapsed > AllowedTransferMs(self->owner->m_options, received)) {
            self->outOfTime = true;
            return 1;
        }
        return 0;
    }
};

void Downloader::Post(const ProgressFunction& progress, int value) {
    if (value == m_lastProgress) {
        return;
    }
    m_lastProgress = value;
    if (progress) {
        progress(value);
    }
}

int Downloader::Download(const std::string& address, const std::string& targetPath,
                         const ProgressFunction& progress) {
    m_running.store(true);
    m_lastProgress = -1;
    m_lastError.clear();
    Post(progress, kProgressStart);
    if (!GoesOn()) {
        m_lastError = "cancelled";
        m_running.store(false);
        return kDownloadFailed;
    }
    std::string unusable;
    const CurlApi* api = Curl(&unusable);
    CURL* curl = api != nullptr ? api->easyInit() : nullptr;
    if (curl == nullptr) {
        m_lastError = api != nullptr ? "no transfer handle" : unusable;
        m_running.store(false);
        return kDownloadNoHandle;
    }
    Post(progress, kProgressOpened);

    Transfer transfer;
    transfer.owner = this;
    transfer.api = api;
    transfer.curl = curl;
    transfer.progress = &progress;
    transfer.block.reserve(kReadSize);
    curl_slist* headers = nullptr;
    int result = kDownloadFailed;

    if (!IsSecureAddress(address)) {
        m_lastError = "not an https address";
    } else {
        unlink(targetPath.c_str());
        transfer.fd =
            open(targetPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (transfer.fd < 0) {
            m_lastError = "the package file cannot be created";
        } else {
            Post(progress, kProgressFileCreated);
            headers = api->slistAppend(headers, "Accept: */*");
            headers = api->slistAppend(headers, "Cache-Control: no-cache");
            headers = api->slistAppend(headers, "Pragma: no-cache");
            api->easySetopt(curl, CURLOPT_URL, address.c_str());
            api->easySetopt(curl, CURLOPT_USERAGENT, kAgent);
            api->easySetopt(curl, CURLOPT_HTTPHEADER, headers);
            api->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "https");
            api->easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
            api->easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
            api->easySetopt(curl, CURLOPT_MAXREDIRS, 5L);
            api->easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
            api->easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
            // A trial server (make run-update-demo) brings its own certificate; it is an addition
            // to nothing: with it set, only that certificate is trusted.
            const char* trialCa = std::getenv(kTrialCaVariable);
            const std::string caFile = !m_options.caFile.empty() ? m_options.caFile
                                       : trialCa != nullptr      ? std::string(trialCa)
                                                                 : std::string();
            if (!caFile.empty()) {
                api->easySetopt(curl, CURLOPT_CAINFO, caFile.c_str());
            }
            api->easySetopt(curl, CURLOPT_FAILONERROR, 1L);
            api->easySetopt(curl, CURLOPT_FRESH_CONNECT, 1L);
            api->easySetopt(curl, CURLOPT_FORBID_REUSE, 1L);
            api->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
            api->easySetopt(curl, CURLOPT_CONNECTTIMEOUT, m_options.connectTimeoutSeconds);
            api->easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
            api->easySetopt(curl, CURLOPT_LOW_SPEED_TIME, m_options.stallTimeoutSeconds);
            api->easySetopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                            static_cast<curl_off_t>(m_options.maxBytes));
            api->easySetopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(kReadSize));
            api->easySetopt(curl, CURLOPT_WRITEFUNCTION, &Transfer::OnData);
            api->easySetopt(curl, CURLOPT_WRITEDATA, &transfer);
            api->easySetopt(curl, CURLOPT_NOPROGRESS, 0L);
            api->easySetopt(curl, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
            api->easySetopt(curl, CURLOPT_XFERINFODATA, &transfer);

            const CURLcode code = api->easyPerform(curl);
            if (code == CURLE_OK && !transfer.failed) {
                transfer.LearnLength();
                if (transfer.Flush()) {
                    result = kDownloadComplete;
                } else {
                    m_lastError = "the package file cannot be written";
                }
            } else if (transfer.outOfTime) {
                m_lastError = "the server sent too slowly: the time allowed ran out";
            } else if (m_lastError.empty()) {
                m_lastError =
                    code == CURLE_ABORTED_BY_CALLBACK ? "cancelled" : api->easyStrerror(code);
            }
        }
    }

    if (transfer.fd >= 0) {
        if (close(transfer.fd) != 0 && result == kDownloadComplete) {
            result = kDownloadFailed;
            m_lastError = "the package file cannot be written";
        }
        if (result != kDownloadComplete) {
            unlink(targetPath.c_str());
        }
    }
    api->slistFreeAll(headers);
    api->easyCleanup(curl);
    m_running.store(false);
    if (result == kDownloadComplete) {
        Post(progress, kProgressDone);
    } else {
        Log(kLogWarning, "download of %s failed: %s", address.c_str(), m_lastError.c_str());
    }
    return result;
}

}  // namespace zephyl
