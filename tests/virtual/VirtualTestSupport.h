// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "support/TempEnvironment.h"
#include "virtual/HidApi.h"
#include "virtual/Json.h"
#include "virtual/VirtualHidControl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace zephyl::test {

using Bytes = std::vector<std::uint8_t>;
using Positions = std::initializer_list<std::pair<int, int>>;

/// A report of `length` bytes, zero but for the given (position, value) pairs.
Bytes Report(std::size_t length, Positions bytes);
/// A 33-byte receiver frame with its checksum (sum of bytes 0..31) at 32.
Bytes Frame(Positions bytes);
/// Bytes from hexadecimal text.
Bytes Hex(const std::string& text);
std::string HexOf(const Bytes& bytes);

/// Runs every test on a fresh scenario of the in-process virtual keyboard, in temporary
/// folders, reading the repository's config.xml and layouts.
class VirtualFixture : public ::testing::Test {
protected:
    VirtualFixture();
    ~VirtualFixture() override;

    /// Loads a scenario; fails the test when it is refused.
    void Load(const std::string& scenario);
    /// Opens the first interface with this product id and usage page.
    hid_device* Open(int pid, int usagePage);
    hid_device* OpenCable(int pid) { return Open(pid, 0xFF00); }
    hid_device* OpenNotification(int pid) { return Open(pid, 0xFFFF); }
    hid_device* OpenBulk(int pid) { return Open(pid, 0xFF01); }

    /// A set-feature report followed by a read-back; returns the status byte (report byte 4),
    /// or -1 when either call failed.
    int Confirmed(hid_device* device, const Bytes& report);
    /// Sends a block as 64-byte packets without read-back; false when a send failed.
    bool SendBlock(hid_device* device, const Bytes& block);
    /// Writes a receiver frame and reads the answer with no wait; empty when none came.
    Bytes Exchange(hid_device* device, const Bytes& frame);

    /// The keyboard's state, and a value in it by dotted path ("keyboards.101.settings.1").
    JsonValue State();
    std::string At(const std::string& path);
    std::string Memory(int model, const std::string& path) {
        return At("keyboards." + std::to_string(model) + "." + path);
    }

    TempEnvironment m_environment;
    std::vector<hid_device*> m_open;
};

}  // namespace zephyl::test
