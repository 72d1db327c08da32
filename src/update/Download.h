// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zephyl {

/// Results of Downloader::Download.
inline constexpr int kDownloadComplete = 1;
inline constexpr int kDownloadNoHandle = 0;  ///< the transfer library could not be started
inline constexpr int kDownloadFailed = -1;

/// A certificate file to trust instead of the system's when DownloadOptions::caFile is empty;
/// for trying updates against a local server.
inline constexpr const char* kTrialCaVariable = "ZEPHYL_UPDATE_CA_FILE";

/// What a download may do; the defaults are what the program uses.
struct DownloadOptions {
    /// A certificate bundle to trust instead of the system's (tests trust their own server).
    std::string caFile;
    long connectTimeoutSeconds = 15;
    /// A transfer that moves fewer than 1 byte a second for this long is given up.
    long stallTimeoutSeconds = 30;
    /// Packages larger than this are refused, whatever the server announces.
    std::int64_t maxBytes = 512LL * 1024 * 1024;
    /// The whole transfer may take at most this long, in milliseconds (a small file such as the
    /// manifest); 0 leaves the limit to the size rule below.
    long totalTimeoutMs = 0;
    /// Without a whole-transfer limit, a transfer may take this long plus the time its received
    /// bytes need at `minAverageBytesPerSecond`: a server that keeps a trickle going, which the
    /// stall limit never catches, is given up once the average falls below that rate.
    long sizeTimeoutBaseMs = 60000;
    std::int64_t minAverageBytesPerSecond = 4096;
    /// Set by another thread to end the download, also before it starts (a window that closes
    /// while it asks the server); the download then fails as cancelled.
    std::shared_ptr<const std::atomic<bool>> stop;
};

/// Fetches one address into a file over HTTPS, reading in 10,240-byte blocks and reporting
/// progress 0, 2, 8, 10, the share of the bytes received (10..100) and 100 at the end, each value
/// once. Only https addresses are opened and only redirects to https followed; certificates are
/// always checked. A download that does not complete leaves no file behind.
class Downloader {
public:
    static constexpr std::size_t kReadSize = 10240;
    static constexpr const char* kAgent = "IIC2.0/PC 5.5.0000";

    using ProgressFunction = std::function<void(int percent)>;

    explicit Downloader(DownloadOptions options = {}) : m_options(std::move(options)) {}

    /// kDownloadComplete, kDownloadNoHandle or kDownloadFailed. `progress` may be empty.
    int Download(const std::string& address, const std::string& targetPath,
                 const ProgressFunction& progress = {});

    /// Ends a running download from any thread; it returns kDownloadFailed.
    void Cancel() { m_running.store(false); }
    bool Running() const { return m_running.load(); }
    const DownloadOptions& Options() const { return m_options; }
    /// Why the last download failed, in English for the log; empty after a complete one.
    const std::string& LastError() const { return m_lastError; }

private:
    struct Transfer;
    void Post(const ProgressFunction& progress, int value);
    /// Whether the download should go on: neither cancelled nor stopped by its options.
    bool GoesOn() const { return m_running.load() && !(m_options.stop && m_options.stop->load()); }

    DownloadOptions m_options;
    std::atomic<bool> m_running{false};
    int m_lastProgress = -1;
    std::string m_lastError;
};

/// How long a transfer that has received `receivedBytes` may have taken, in milliseconds, under
/// `options`' time limits.
std::int64_t AllowedTransferMs(const DownloadOptions& options, std::int64_t receivedBytes);

/// Whether `address` is one the downloader opens: an https address with a host.
bool IsSecureAddress(const std::string& address);

}  // namespace zephyl
