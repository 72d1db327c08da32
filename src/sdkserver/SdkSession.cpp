// SPDX-License-Identifier: GPL-2.0-or-later
#include "sdkserver/SdkSession.h"

#include <algorithm>

namespace zephyl {

bool SdkSession::Receive(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& replies) {
    m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
    size_t at = 0;
    bool ok = true;
    while (m_pending.size() - at >= kSdkHeaderLength) {
        const std::span<const std::uint8_t, kSdkHeaderLength> headerBytes(m_pending.data() + at,
                                                                          kSdkHeaderLength);
        const std::optional<SdkHeader> header = ParseSdkHeader(headerBytes);
        if (!header) {
            ok = false;
            break;
        }
        if (m_pending.size() - at - kSdkHeaderLength < header->bodyLength) {
            break;
        }
        const std::span<const std::uint8_t> body(m_pending.data() + at + kSdkHeaderLength,
                                                 header->bodyLength);
        if (!Handle(*header, body, replies)) {
            ok = false;
            break;
        }
        ++m_packets;
        at += kSdkHeaderLength + header->bodyLength;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(at));
    return ok;
}

bool SdkSession::Handle(const SdkHeader& header, std::span<const std::uint8_t> body,
                        std::vector<std::uint8_t>& replies) {
    const auto reply = [&](std::uint32_t packetId, std::span<const std::uint8_t> data) {
        const std::vector<std::uint8_t> packet = EncodeSdkPacket(header.deviceId, packetId, data);
        replies.insert(replies.end(), packet.begin(), packet.end());
    };
    const std::uint32_t device = header.deviceId;
    switch (header.packetId) {
        case kSdkRequestControllerCount:
            reply(kSdkRequestControllerCount, EncodeSdkUint32(m_backend.ControllerCount()));
            return true;
        case kSdkRequestControllerData: {
            // A version 0 client sends nothing; later ones name the version to describe at.
            std::uint32_t version = 0;
            if (!body.empty()) {
                const std::optional<std::uint32_t> asked = DecodeSdkUint32(body);
                if (!asked) {
                    return false;
                }
                version = std::min(*asked, kSdkProtocolVersion);
            }
            // A controller that is gone gets no answer, as a request of no known kind.
            if (const std::optional<SdkController> controller = m_backend.Describe(device)) {
                reply(kSdkRequestControllerData, EncodeControllerData(*controller, version));
            }
            return true;
        }
        case kSdkRequestProtocolVersion: {
            const std::optional<std::uint32_t> offered = DecodeSdkUint32(body);
            if (!offered) {
                return false;
            }
            m_version = std::min(*offered, kSdkProtocolVersion);
            reply(kSdkRequestProtocolVersion, EncodeSdkUint32(kSdkProtocolVersion));
            return true;
        }
        case kSdkSetClientName:
            m_clientName = DecodeClientName(body);
            return true;
        case kSdkRequestProfileList:
        case kSdkRequestPluginList:
            // There are no profiles or plug-ins to offer: an empty list (size, count 0) spares
            // a client that waits for the answer.
            if (m_version >= (header.packetId == kSdkRequestProfileList ? 2u : 4u)) {
                const std::uint8_t empty[] = {6, 0, 0, 0, 0, 0};
                reply(header.packetId, empty);
            }
            return true;
        case kSdkUpdateLeds: {
            const std::optional<SdkColourUpdate> update = DecodeUpdateLeds(body);
            if (!update) {
                return false;
            }
            m_backend.SetColours(device, 0, update->colours);
            return true;
        }
        case kSdkUpdateZoneLeds: {
            const std::optional<SdkColourUpdate> update = DecodeUpdateZoneLeds(body);
            if (!update) {
                return false;
            }
            if (const std::optional<std::uint32_t> first =
                    m_backend.ZoneFirstLed(device, update->zone)) {
                m_backend.SetColours(device, *first, update->colours);
            }
            return true;
        }
        case kSdkUpdateSingleLed: {
            const std::optional<SdkSingleLed> single = DecodeUpdateSingleLed(body);
            if (!single) {
                return false;
            }
            if (single->led >= 0) {
                const SdkColour colour = single->colour;
                m_backend.SetColours(device, static_cast<std::uint32_t>(single->led), {&colour, 1});
            }
            return true;
        }
        case kSdkSetCustomMode:
            m_backend.SetCustomMode(device);
            return true;
        case kSdkUpdateMode:
        case kSdkSaveMode: {
            const std::optional<SdkModeUpdate> update = DecodeUpdateMode(body, m_version);
            if (!update) {
                return false;
            }
            m_backend.UpdateMode(device, update->modeIndex, update->mode, m_version);
            return true;
        }
        default:
            // Zone resizing and whatever a later protocol adds: nothing to do, nothing to say.
            return true;
    }
}

}  // namespace zephyl
