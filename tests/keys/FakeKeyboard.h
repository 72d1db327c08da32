// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// A hidapi stand-in with one keyboard on the cable or behind the receiver: it records every
// report sent and answers as the keyboard does (status 1 on the cable, an echo on the receiver),
// with a clock that only moves when the transport waits.

#include "device/DeviceManager.h"
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
    void Sleep(int milliseconds) override { m_now += milliseconds > 0 ? milliseconds : 0; }
    uint64_t NowMs() override { return m_now; }
    uint64_t m_now = 1000;
};

/// One model (101) with pid 0x5A10 on the cable or 0x5A12 behind the receiver, as config.xml
/// declares it.
class FakeKeyboard {
public:
    /// `notifications`: the keyboard also has its notification interface, which reports
    /// m_notifications one by one.
    explicit FakeKeyboard(bool receiver, bool notifications = false);
    ~FakeKeyboard();
    FakeKeyboard(const FakeKeyboard&) = delete;
    FakeKeyboard& operator=(const FakeKeyboard&) = delete;

    static HidApi Table();
    std::shared_ptr<FakeClock> Clock() const { return m_clock; }
    bool Receiver() const { return m_receiver; }

    /// Report payloads sent (cable: bytes after the report id; receiver: the 33-byte frame
    /// after the report id, checksum included).
    std::vector<std::vector<uint8_t>> m_sent;
    int m_unansweredFrames = 0;  ///< receiver frames left without an answer
    bool m_refuseAll = false;    ///< cable reports read back refused, receiver frames unanswered
    std::deque<std::vector<uint8_t>> m_notifications;  ///< input reports, report id first

    // Handlers of the C table.
    hid_device_info* Enumerate();
    hid_device* Open(const char* path);
    int SendFeature(const unsigned char* data, size_t length);
    int GetFeature(unsigned char* data, size_t length);
    int Write(const unsigned char* data, size_t length);
    int Read(hid_device* device, unsigned char* data, size_t length, int timeoutMs);
    int Descriptor(hid_device* device, unsigned char* buffer, size_t size);

private:
    FakeKeyboard* m_previous;
    bool m_receiver;
    bool m_hasNotifications;
    std::shared_ptr<FakeClock> m_clock = std::make_shared<FakeClock>();
    std::vector<uint8_t> m_lastFeature;
    std::deque<std::vector<uint8_t>> m_answers;
    int m_handle = 0;
    int m_notificationHandle = 0;
};

/// A device manager talking to the fake, with model 101 known and selected.
struct FakeTransport {
    explicit FakeTransport(bool receiver);
    FakeKeyboard keyboard;
    DeviceManager manager;
};

}  // namespace zephyl::test
