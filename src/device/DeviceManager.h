// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/DeviceCatalogue.h"
#include "device/DeviceEntry.h"
#include "device/HidLibrary.h"
#include "device/ReceiverTransfer.h"
#include "device/ReportPacer.h"
#include "device/TransportClock.h"
#include "protocol/ReportFrames.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

/// Waits between the reports of a sequence; null waits not at all. Tests pass one that records.
using TransferPause = std::function<void(int milliseconds)>;

/// How a cable write sequence goes around its block.
struct CableBlockOptions {
    bool macroBegin = false;    ///< the macro image has a begin of its own
    bool confirmBlock = false;  ///< a one-packet block the keyboard answers with a status
    enum class Refresh { kNone, kConfirmed, kUnconfirmed };
    Refresh refresh = Refresh::kNone;  ///< sent after the end
    int pauseBeforeBlock = 0;          ///< ms between the header and the block
    int pauseAfterBlock = 0;           ///< ms between the block and the end
    TransferPause pause;
};

/// Owner of the opened HID interfaces of the known keyboards, of the choice of the interface the
/// program talks through, and of the report transport.
///
/// Threads: the worker refreshes and transfers; the window thread may call FirmwareVersion,
/// CloseAll, SetSelectedDeviceType and SetPacingDelay at any time. Two locks
/// make that safe: one held for a whole transfer or refresh (so CloseAll never closes a handle in
/// use, and waits at most for the transfer running), one held briefly around the lists, handle
/// caches and selection (so FirmwareVersion never waits for a transfer).
class DeviceManager {
public:
    /// The process-wide manager, created on first use with HidLibrary::LoadDefault().
    static DeviceManager& Instance();

    explicit DeviceManager(std::shared_ptr<HidLibrary> library,
                           std::shared_ptr<TransportClock> clock = nullptr);
    ~DeviceManager();
    DeviceManager(const DeviceManager&) = delete;
    DeviceManager& operator=(const DeviceManager&) = delete;

    const HidLibrary& Library() const { return *m_library; }

    // ---- Device list and selection ----

    /// Enumerates, opens and classifies the interfaces of known keyboards, appending to the lists.
    void Refresh();
    /// When enabled: disables, closes every interface and empties the lists.
    void CloseAll();
    /// What a device refresh does: forget the command interface, close all, refresh, then
    /// enable and clear busy, as one step no other thread can cut into.
    void Reopen();

    void AddKnownDevice(int vid, int pid, const std::string& productName, int deviceType, int mode);
    void AddKnownDevices(const std::vector<KnownDevice>& devices);
    bool IsKnown(int vid, int pid, const std::string& product) const;
    int KnownMode(int vid, int pid, const std::string& product) const;
    int KnownDeviceType(int vid, int pid, const std::string& product) const;

    /// The command interface of the selected model: cable, else Bluetooth, else receiver
    /// (cached; also caches the model's bulk interface). Null when there is none.
    hid_device* ActiveHandle();
    /// Cable, else receiver, else Bluetooth, else kModeNone, for the selected model.
    int CurrentConnectionMode() const;
    /// Copies the command entries (all of them when the selected model is 0) without their
    /// handles; false when there are no command entries at all.
    bool CollectEntries(std::vector<DeviceEntry>& list) const;
    /// Models that are plugged in but that this user may not open (no udev rule gives access,
    /// or the user is not at the seat): an interface of theirs was refused with EACCES and none
    /// of their command interfaces opened. In the order found; empty after CloseAll.
    std::vector<int> RefusedDeviceTypes() const;
    /// Usable flag of the first command entry with this vid, pid and mode whose product equals
    /// `productName` (any when empty); −1 when none.
    int ModeUsable(int vid, int pid, const std::string& productName, int mode) const;
    /// Release number of the selected model's cable interface, 0 when it is connected only
    /// without cable; false when it has no interface or the manager is not enabled.
    bool FirmwareVersion(int& out) const;

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Busy() const { return m_busy.load() != 0; }
    void ClearBusy() { m_busy.store(0); }
    int SelectedDeviceType() const;
    /// Selects a model; the cached command and bulk interfaces are forgotten, so the next
    /// transfer chooses again.
    void SetSelectedDeviceType(int deviceType);
    int PacingDelay() const { return m_pacingDelay.load(); }
    void SetPacingDelay(int milliseconds) { m_pacingDelay.store(milliseconds); }
    bool HasNotificationHandle() const;
    size_t CommandEntryCount() const;
    size_t BulkEntryCount() const;

    // ---- Report transport ----

    /// Cable: `data.size()` ≤ 65 sends one report made of the first 64 bytes (read back and
    /// checked for status 1 when `confirm`); larger sends size / 64 packets of 64 bytes.
    bool SendFeature(std::span<const uint8_t> data, bool confirm);
    /// Cable with the short fixed pacing of real-time streams; a busy status is sent once more.
    bool SendFeatureTimed(std::span<const uint8_t> data);
    /// Cable: sends the 64-byte request at the start of `buffer` (at least 576 bytes) and
    /// leaves the nine 64-byte answer blocks there.
    bool ReadBlocks(std::span<uint8_t> buffer);
    /// Receiver: seals the frame with its checksum over `length` bytes, sends it and waits for
    /// the answer that echoes it, left in `frame` from byte 0.
    bool Query(ReceiverFrame& frame, size_t length = kReceiverFrameLength) {
        return Exchange(frame, length) == ReceiverAnswer::kAnswered;
    }
    /// Query that also tells an unanswered frame from one that could not be written at all.
    ReceiverAnswer Exchange(ReceiverFrame& frame, size_t length = kReceiverFrameLength);

    /// Cable write sequence: begin, header (data type, argument, packet count), the block as
    /// size / 64 packets, end, and the refresh when asked. A refused step does not stop the
    /// sequence, since the keyboard may still take the rest; the result is then false.
    bool SendCableBlock(uint8_t dataType, uint8_t argument, std::span<const uint8_t> block,
                        const CableBlockOptions& options = {});
    /// Receiver: each frame with Query, `pauseBetweenMs` apart. An unanswered frame does not stop
    /// the others; the result is then false. A frame that cannot be written ends the sequence:
    /// the keyboard is gone and the frames after it would only fail as well.
    bool SendReceiverFrames(std::span<ReceiverFrame> frames, int pauseBetweenMs = 0,
                            const TransferPause& pause = nullptr);
    /// Receiver: `count` frames that the keyboard takes only in order (a screen image), frame i
    /// made by `frameAt(i)`, each followed by `pauseAfterMs` and by `sent(i)`. Ends early as
    /// ReceiverTransferBudget decides: at the first frame that cannot be written, after a few
    /// unanswered frames in a row, or when the time its size allows has run out.
    ReceiverTransferResult SendReceiverSequence(size_t count,
                                                const std::function<ReceiverFrame(size_t)>& frameAt,
                                                int pauseAfterMs, const TransferPause& pause,
                                                const std::function<void(size_t)>& sent = nullptr);
    /// Receiver: one frame with Query, for a caller that does not read the answer.
    bool SendReceiverFrame(ReceiverFrame frame) { return Query(frame); }

    /// Receiver handshake on one interface.
    bool Probe(hid_device* device);
    /// Writes a 4096-byte block to the bulk interface chosen with the command interface.
    bool SendBulk(std::span<const uint8_t> block);
    /// One report of the notification interface (report id at byte 0); 0 on timeout, −1 when
    /// there is no such interface or the read fails.
    int ReadNotification(std::span<uint8_t> buffer, int timeoutMs);

private:
    class BusyScope;

    const KnownDevice* FindKnown(int vid, int pid, const std::string& product) const;
    void RefreshLocked();
    void CloseAllLocked();
    void CloseEverything();
    hid_device* ActiveHandleLocked();
    /// Checks enabled and resolves the command interface, for transfers.
    bool TransferReady() const;
    bool ProbeLocked(hid_device* device);
    bool WriteReceiverFrame(hid_device* device, const ReceiverFrame& frame);
    bool ReadBack(hid_device* device, CableReport& report, size_t length);

    std::shared_ptr<HidLibrary> m_library;
    std::shared_ptr<TransportClock> m_clock;
    /// The pacing schedule of cable transfers; under m_transferMutex.
    ReportPacer m_pacer;

    mutable std::mutex m_transferMutex;  ///< taken before m_listMutex when both are needed
    mutable std::mutex m_listMutex;

    bool m_enabled = false;
    std::atomic<int> m_busy{0};
    std::vector<DeviceEntry> m_commandEntries;
    std::vector<DeviceEntry> m_bulkEntries;
    std::vector<int> m_refusedDeviceTypes;
    std::vector<KnownDevice> m_knownDevices;
    int m_selectedDeviceType = 0;
    hid_device* m_commandHandle = nullptr;  ///< not owned
    hid_device* m_notificationHandle = nullptr;
    HidCapabilities m_notificationCapabilities;
    /// Notification interfaces replaced by a later one in the same refresh; closed with the rest.
    std::vector<hid_device*> m_replacedNotificationHandles;
    hid_device* m_bulkHandle = nullptr;  ///< not owned
    std::atomic<int> m_pacingDelay{10};
};

}  // namespace zephyl
