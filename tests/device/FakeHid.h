// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// A scripted stand-in for hidapi, behaving as the hidraw build does (a feature read-back counts
// the report-id byte; unnumbered input reports arrive without it), with a clock that only moves
// when the transport waits or a read times out.

#include "device/HidLibrary.h"
#include "device/TransportClock.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zephyl::test {

class FakeClock final : public TransportClock {
public:
    void Sleep(int milliseconds) override;
    uint64_t NowMs() override { return m_now; }
    void Advance(uint64_t milliseconds) { m_now += milliseconds; }
    uint64_t m_now = 1000;
    std::vector<int> m_sleeps;
};

/// A descriptor with one vendor collection: reports of the given data sizes (0 = none).
std::vector<uint8_t> VendorDescriptor(uint16_t usagePage, uint8_t usage, int inputBytes,
                                      int outputBytes, int featureBytes, uint8_t reportId = 0);

struct FakeInterface {
    std::string path;
    uint16_t vid = 0x1209;
    uint16_t pid = 0;
    uint16_t release = 0;
    std::wstring product;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> descriptor;
    bool openable = true;
    int openErrno = 0;            ///< what a refused open leaves in errno
    bool answersReceiver = true;  ///< a receiver interface whose keyboard answers
};

/// Cable command interface, receiver, notification, bulk: as the keyboards present them.
FakeInterface CableInterface(uint16_t pid, const std::string& path, uint16_t release = 0x0110);
FakeInterface ReceiverInterface(uint16_t pid, const std::string& path);
FakeInterface NotificationInterface(uint16_t pid, const std::string& path);
FakeInterface BulkInterface(uint16_t pid, const std::string& path);

struct FakeOp {
    std::string op;  ///< set_feature, get_feature, write, read
    std::string path;
    std::vector<uint8_t> bytes;
};

/// One fake per test; its hidapi table calls into the most recently created live instance.
class FakeHid {
public:
    FakeHid();
    ~FakeHid();
    FakeHid(const FakeHid&) = delete;
    FakeHid& operator=(const FakeHid&) = delete;

    static HidApi Table();
    std::shared_ptr<FakeClock> Clock() const { return m_clock; }

    void Add(FakeInterface interface) { m_interfaces.push_back(std::move(interface)); }
    /// Pulls the keyboard out: enumeration no longer shows it, every open handle fails.
    void Unplug();
    /// Puts it back (new handles work; old ones stay dead, as on a real bus).
    void Replug();

    std::vector<FakeOp> Ops(const std::string& op) const;
    int OpenHandles() const;

    // Scripted behaviour.
    std::deque<uint8_t> m_statuses;    ///< status of the next read-backs; 1 when empty
    int m_failSends = 0;               ///< the next feature sends that fail
    int m_failWrites = 0;              ///< the next output writes that fail
    int m_failFeatureReads = 0;        ///< the next feature reads that fail
    int m_unplugAfterSends = -1;       ///< unplug once this many feature sends succeeded
    int m_lostAnswers = 0;             ///< receiver requests left unanswered
    int m_nonEchoBeforeAnswer = 0;     ///< stray answers queued before each real one
    uint8_t m_replyByte = 0x5A;        ///< answer byte 3 of receiver echoes
    uint64_t m_featureReadCostMs = 0;  ///< clock advance per feature read
    uint64_t m_sendCostMs = 0;         ///< clock advance per feature send
    std::deque<std::vector<uint8_t>> m_notifications;  ///< for the notification interface

    // Handlers of the C table.
    hid_device_info* Enumerate();
    hid_device* OpenPath(const char* path);
    void Close(hid_device* device);
    int SendFeature(hid_device* device, const unsigned char* data, size_t length);
    int GetFeature(hid_device* device, unsigned char* data, size_t length);
    int Write(hid_device* device, const unsigned char* data, size_t length);
    int Read(hid_device* device, unsigned char* data, size_t length, int timeoutMs);
    int Descriptor(hid_device* device, unsigned char* buffer, size_t size);

private:
    struct Handle;
    Handle* Find(hid_device* device);

    FakeHid* m_previous;  ///< the fake of an enclosing scope, live again after this one
    std::shared_ptr<FakeClock> m_clock = std::make_shared<FakeClock>();
    std::vector<FakeInterface> m_interfaces;
    std::vector<std::unique_ptr<Handle>> m_handles;
    std::vector<FakeOp> m_ops;
    bool m_unplugged = false;
    int m_generation = 0;
    int m_sends = 0;
    int m_blockReads = 0;
};

}  // namespace zephyl::test
