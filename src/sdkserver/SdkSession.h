// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "sdkserver/SdkProtocol.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

/// What the server presents: its controllers and what a client may change on them. Called on
/// the server's thread; an implementation guards its own state.
class SdkBackend {
public:
    virtual ~SdkBackend() = default;
    virtual std::uint32_t ControllerCount() = 0;
    /// The controller at `index`, nothing when there is none (any more).
    virtual std::optional<SdkController> Describe(std::uint32_t index) = 0;
    /// The LED where zone `zone` starts, nothing for a zone the controller does not have.
    virtual std::optional<std::uint32_t> ZoneFirstLed(std::uint32_t index, std::uint32_t zone) = 0;
    /// Colours for the LEDs from `firstLed` on; LEDs past the controller's are ignored.
    virtual void SetColours(std::uint32_t index, std::uint32_t firstLed,
                            std::span<const SdkColour> colours) = 0;
    /// The mode a client streams its own colours in.
    virtual void SetCustomMode(std::uint32_t index) = 0;
    /// A client chose mode `modeIndex` with these settings; `version` says which of its fields
    /// the client could send.
    virtual void UpdateMode(std::uint32_t index, std::int32_t modeIndex, const SdkMode& mode,
                            std::uint32_t version) = 0;
};

/// One client's side of the conversation: gathers packets from the bytes as they come,
/// answers requests and hands changes to the backend.
class SdkSession {
public:
    explicit SdkSession(SdkBackend& backend) : m_backend(backend) {}

    /// Takes the bytes received and appends the replies to `replies`. False when the client
    /// does not speak the protocol (bad magic, oversized or malformed packet): drop it.
    bool Receive(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& replies);

    /// Whether part of a packet waits for the rest.
    bool MidPacket() const { return !m_pending.empty(); }
    /// Whether the client has sent one whole packet yet: until then it has not shown that it
    /// speaks the protocol at all.
    bool Greeted() const { return m_packets > 0; }
    /// The protocol version agreed with the client (0 until it asks).
    std::uint32_t Version() const { return m_version; }
    const std::string& ClientName() const { return m_clientName; }

private:
    bool Handle(const SdkHeader& header, std::span<const std::uint8_t> body,
                std::vector<std::uint8_t>& replies);

    SdkBackend& m_backend;
    std::vector<std::uint8_t> m_pending;
    std::uint64_t m_packets = 0;
    std::uint32_t m_version = 0;
    std::string m_clientName;
};

}  // namespace zephyl
