// SPDX-License-Identifier: GPL-2.0-or-later
// The report transport of the device manager: pacing, retries and confirmation of every report.
#include "device/DeviceManager.h"

#include <algorithm>
#include <vector>

namespace zephyl {

namespace {

constexpr int kBlockRetries = 10;
constexpr int kTimedPause = 5;
constexpr int kTimedPacketPause = 2;
constexpr uint64_t kTimedBlockBudgetMs = 100;
constexpr int kReceiverWriteRetryPause = 10;
constexpr int kAnswerFirstWait = 5;
constexpr int kAnswerReads = 20;
constexpr int kAnswerReadTimeout = 5;
constexpr int kAnswerReadPause = 10;
constexpr int kBlockReadFirstPause = 3;
constexpr int kBlockReadStatusPause = 5;
constexpr int kBlockReadStatusRetries = 10;
constexpr int kBlockReadPause = 3;
constexpr uint64_t kBlockReadLimitMs = 360;
constexpr int kBulkAnswerWait = 300;
constexpr int kReceiverInputLength = static_cast<int>(kReceiverReportLength);

/// The status byte counts only when the read-back actually delivered it: a failed read leaves
/// the request's own byte there.
bool StatusIs(const CableReport& report, int dataBytesRead, uint8_t status) {
    return dataBytesRead >= static_cast<int>(kStatusPosition) && report[kStatusPosition] == status;
}

}  // namespace

class DeviceManager::BusyScope {
public:
    explicit BusyScope(std::atomic<int>& busy) : m_busy(busy) { m_busy.store(1); }
    ~BusyScope() { m_busy.store(0); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<int>& m_busy;
};

bool DeviceManager::TransferReady() const {
    std::lock_guard lock(m_listMutex);
    return m_enabled;
}

bool DeviceManager::ReadBack(hid_device* device, CableReport& report, size_t length) {
    const size_t readLength = std::min(length, report.size());
    const int read = m_library->GetFeatureReport(device, std::span(report).first(readLength));
    return StatusIs(report, read, kStatusAccepted);
}

bool DeviceManager::SendFeature(std::span<const uint8_t> data, bool confirm) {
    std::lock_guard transfer(m_transferMutex);
    if (!TransferReady()) {
        return false;
    }
    BusyScope busy(m_busy);
    hid_device* device = ActiveHandle();
    if (!device) {
        return false;
    }
    const int pacing = PacingDelay();
    struct EndOfTransfer {
        ReportPacer& pacer;
        ~EndOfTransfer() { pacer.TransferEnded(); }
    } end{m_pacer};
    const auto send = [this, device](const CableReport& report) {
        const bool sent = m_library->SendFeatureReport(device, report);
        m_pacer.ExchangeEnded();
        return sent;
    };

    if (data.size() <= kCableReportLength) {
        m_pacer.Pause(pacing);
        CableReport report = BuildCableReport(data);
        if (!send(report)) {
            return false;
        }
        if (!confirm) {
            return true;
        }
        m_pacer.Pause(pacing);
        report = BuildCableReport(data);
        const bool accepted = ReadBack(device, report, data.size());
        m_pacer.ExchangeEnded();
        return accepted;
    }

    const size_t packets = CablePacketCount(data.size());
    m_pacer.Pause(pacing);
    for (size_t i = 0; i < packets; ++i) {
        const CableReport report = BuildCablePacket(data, i);
        bool sent = send(report);
        m_pacer.Pause(pacing);
        for (int retry = 0; !sent && retry < kBlockRetries; ++retry) {
            m_pacer.Pause(pacing);
            sent = send(report);
        }
        if (!sent) {
            return false;
        }
    }
    return true;
}

bool DeviceManager::SendFeatureTimed(std::span<const uint8_t> data) {
    std::lock_guard transfer(m_transferMutex);
    if (!TransferReady()) {
        return false;
    }
    BusyScope busy(m_busy);
    hid_device* device = ActiveHandle();
    if (!device) {
        return false;
    }

    if (data.size() <= kCableReportLength) {
        const CableReport request = BuildCableReport(data);
        m_clock->Sleep(kTimedPause);
        if (!m_library->SendFeatureReport(device, request)) {
            return false;
        }
        m_clock->Sleep(kTimedPause);
        CableReport report = request;
        const size_t readLength = std::min(data.size(), report.size());
        int read = m_library->GetFeatureReport(device, std::span(report).first(readLength));
        if (StatusIs(report, read, kStatusBusy)) {
            // The request goes out again as it was, not the status report now in the buffer.
            if (!m_library->SendFeatureReport(device, request)) {
                return false;
            }
            m_clock->Sleep(kTimedPause);
            report = request;
            read = m_library->GetFeatureReport(device, std::span(report).first(readLength));
        }
        return StatusIs(report, read, kStatusAccepted);
    }

    const uint64_t start = m_clock->NowMs();
    const size_t packets = CablePacketCount(data.size());
    for (size_t i = 0; i < packets; ++i) {
        const bool sent = m_library->SendFeatureReport(device, BuildCablePacket(data, i));
        m_clock->Sleep(kTimedPacketPause);
        if (!sent || m_clock->NowMs() - start > kTimedBlockBudgetMs) {
            return false;
        }
    }
    return true;
}

bool DeviceManager::ReadBlocks(std::span<uint8_t> buffer) {
    // A block read is repeated by the idle tick, so it gives way instead of queueing.
    if (Busy()) {
        return false;
    }
    std::lock_guard transfer(m_transferMutex);
    if (!TransferReady() || Busy()) {
        return false;
    }
    BusyScope busy(m_busy);
    hid_device* device = ActiveHandle();
    if (!device || buffer.size() < kReadBlocksLength) {
        return false;
    }
    TimerResolutionScope resolution;

    const CableReport request = BuildCableReport(buffer.first(kCablePayloadLength));
    m_clock->Sleep(kBlockReadFirstPause);
    if (!m_library->SendFeatureReport(device, request)) {
        return false;
    }
    m_clock->Sleep(kBlockReadStatusPause);
    CableReport status = request;
    int read = m_library->GetFeatureReport(device, status);
    for (int retry = 0; read < 0 && retry < kBlockReadStatusRetries; ++retry) {
        read = m_library->GetFeatureReport(device, status);
        m_clock->Sleep(kBlockReadStatusPause);
    }
    if (!StatusIs(status, read, kStatusAccepted)) {
        return false;
    }

    for (size_t i = 0; i < kReadBlockCount; ++i) {
        m_clock->Sleep(kBlockReadPause);
        if (read < 1) {
            return false;
        }
        CableReport block{};
        const uint64_t start = m_clock->NowMs();
        read = m_library->GetFeatureReport(device, block);
        if (m_clock->NowMs() - start > kBlockReadLimitMs) {
            return false;
        }
        std::copy(block.begin() + 1, block.end(), buffer.begin() + i * kCablePayloadLength);
        if (read != static_cast<int>(kCablePayloadLength)) {
            return false;
        }
    }
    return true;
}

bool DeviceManager::WriteReceiverFrame(hid_device* device, const ReceiverFrame& frame) {
    ReceiverFrame work = frame;
    if (m_library->Write(device, std::span(work).first(kReceiverReportLength)) > 0) {
        return true;
    }
    m_clock->Sleep(kReceiverWriteRetryPause);
    work = frame;
    return m_library->Write(device, std::span(work).first(kReceiverReportLength)) > 0;
}

ReceiverAnswer DeviceManager::Exchange(ReceiverFrame& frame, size_t length) {
    std::lock_guard transfer(m_transferMutex);
    if (!TransferReady()) {
        return ReceiverAnswer::kUnreachable;
    }
    BusyScope busy(m_busy);
    hid_device* device = ActiveHandle();
    if (!device) {
        return ReceiverAnswer::kUnreachable;
    }
    SealReceiverFrame(frame, std::min(length, frame.size()));
    if (!WriteReceiverFrame(device, frame)) {
        return ReceiverAnswer::kUnreachable;
    }
    m_clock->Sleep(kAnswerFirstWait);
    for (int attempt = 0; attempt < kAnswerReads; ++attempt) {
        ReceiverFrame work = frame;
        const int read =
            m_library->ReadTimeout(device, work, kAnswerReadTimeout, kReceiverInputLength);
        // Only a report actually read can answer: after a timeout the buffer still holds the
        // request itself.
        if (read > 0 && AnswerEchoes(work, frame)) {
            std::copy_n(work.begin(), kReceiverReportLength, frame.begin());
            return ReceiverAnswer::kAnswered;
        }
        if (read < 0) {
            return ReceiverAnswer::kUnreachable;
        }
        // A stray answer (to an earlier frame) was read: ours may be queued right behind it, and
        // the next read waits for it anyway. Only a read that found nothing is followed by the
        // pause that gives the keyboard time.
        if (read == 0) {
            m_clock->Sleep(kAnswerReadPause);
        }
    }
    return ReceiverAnswer::kUnanswered;
}

bool DeviceManager::Probe(hid_device* device) {
    std::lock_guard transfer(m_transferMutex);
    return ProbeLocked(device);
}

bool DeviceManager::ProbeLocked(hid_device* device) {
    if (!device) {
        return false;
    }
    const ReceiverFrame frame = BuildProbeFrame();
    if (!WriteReceiverFrame(device, frame)) {
        return false;
    }
    m_clock->Sleep(kAnswerFirstWait);
    for (int attempt = 0; attempt < kAnswerReads; ++attempt) {
        ReceiverFrame work = frame;
        const int read =
            m_library->ReadTimeout(device, work, kAnswerReadTimeout, kReceiverInputLength);
        if (read > 0 && IsProbeAnswer(work)) {
            return true;
        }
        m_clock->Sleep(kAnswerReadPause);
    }
    return false;
}

bool DeviceManager::SendBulk(std::span<const uint8_t> block) {
    std::lock_guard transfer(m_transferMutex);
    hid_device* device = nullptr;
    {
        std::lock_guard lock(m_listMutex);
        if (!m_enabled) {
            return false;
        }
        device = m_bulkHandle;
    }
    BusyScope busy(m_busy);
    if (!device) {
        return false;
    }
    const BulkReport report = BuildBulkReport(block);
    const bool written = m_library->Write(device, report) > 0;
    if (written) {
        std::vector<uint8_t> answer(kBulkReportLength);
        m_library->ReadTimeout(device, answer, kBulkAnswerWait, 0);
    }
    // A block that never left is reported as such, even though the upload goes on regardless.
    return written;
}

bool DeviceManager::SendCableBlock(uint8_t dataType, uint8_t argument,
                                   std::span<const uint8_t> block,
                                   const CableBlockOptions& options) {
    const auto wait = [&options](int milliseconds) {
        if (options.pause && milliseconds > 0) {
            options.pause(milliseconds);
        }
    };
    const auto packets = static_cast<uint16_t>(CablePacketCount(block.size()));
    bool accepted = SendFeature(BuildBeginCommand(options.macroBegin), true);
    accepted = SendFeature(BuildHeaderCommand(dataType, argument, packets), true) && accepted;
    wait(options.pauseBeforeBlock);
    accepted = SendFeature(block, options.confirmBlock) && accepted;
    wait(options.pauseAfterBlock);
    accepted = SendFeature(BuildEndCommand(), true) && accepted;
    if (options.refresh != CableBlockOptions::Refresh::kNone) {
        const bool confirm = options.refresh == CableBlockOptions::Refresh::kConfirmed;
        accepted = SendFeature(BuildRefreshCommand(), confirm) && accepted;
    }
    return accepted;
}

bool DeviceManager::SendReceiverFrames(std::span<ReceiverFrame> frames, int pauseBetweenMs,
                                       const TransferPause& pause) {
    bool answered = true;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (i > 0 && pause && pauseBetweenMs > 0) {
            pause(pauseBetweenMs);
        }
        const ReceiverAnswer answer = Exchange(frames[i]);
        if (answer == ReceiverAnswer::kUnreachable) {
            return false;
        }
        answered = answer == ReceiverAnswer::kAnswered && answered;
    }
    return answered;
}

ReceiverTransferResult DeviceManager::SendReceiverSequence(
    size_t count, const std::function<ReceiverFrame(size_t)>& frameAt, int pauseAfterMs,
    const TransferPause& pause, const std::function<void(size_t)>& sent) {
    ReceiverTransferResult result;
    ReceiverTransferBudget budget(count, m_clock->NowMs());
    bool answeredAll = true;
    for (size_t i = 0; i < count; ++i) {
        ReceiverFrame frame = frameAt(i);
        const ReceiverAnswer answer = Exchange(frame);
        if (answer == ReceiverAnswer::kUnreachable) {
            result.unreachable = true;
            return result;
        }
        ++result.sent;
        answeredAll = answer == ReceiverAnswer::kAnswered && answeredAll;
        if (pause && pauseAfterMs > 0) {
            pause(pauseAfterMs);
        }
        if (sent) {
            sent(i);
        }
        if (!budget.GoOn(answer, m_clock->NowMs()) && i + 1 < count) {
            return result;
        }
    }
    result.complete = answeredAll;
    return result;
}

int DeviceManager::ReadNotification(std::span<uint8_t> buffer, int timeoutMs) {
    std::lock_guard transfer(m_transferMutex);
    hid_device* device = nullptr;
    int inputLength = 0;
    {
        std::lock_guard lock(m_listMutex);
        device = m_notificationHandle;
        inputLength = m_notificationCapabilities.inputLength;
    }
    if (!device) {
        return -1;
    }
    return m_library->ReadTimeout(device, buffer, timeoutMs, inputLength);
}

}  // namespace zephyl
