// SPDX-License-Identifier: GPL-2.0-or-later
#include "sdkserver/SdkProtocol.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zephyl {
namespace {

constexpr char kMagic[4] = {'O', 'R', 'G', 'B'};

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    // The length counts the closing zero; a text too long for the 16-bit length is cut.
    const size_t length =
        std::min<size_t>(text.size(), std::numeric_limits<std::uint16_t>::max() - 1);
    Put16(out, static_cast<std::uint16_t>(length + 1));
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    out.push_back(0);
}

/// Reads little-endian fields off a body and remembers whether it ran short.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint32_t U32() { return static_cast<std::uint32_t>(Take(4)); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
    std::string Text() {
        const std::uint16_t length = U16();
        if (!m_ok || length > Left()) {
            m_ok = false;
            return {};
        }
        const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at);
        m_at += length;
        const auto end = std::find(begin, begin + length, std::uint8_t{0});
        return std::string(begin, end);
    }
    std::vector<SdkColour> Colours(std::uint16_t count) {
        std::vector<SdkColour> colours;
        if (size_t(count) * 4 > Left()) {
            m_ok = false;
            return colours;
        }
        colours.reserve(count);
        for (std::uint16_t i = 0; i < count; ++i) {
            colours.push_back(U32());
        }
        return colours;
    }
    size_t Left() const { return m_bytes.size() - m_at; }
    bool Ok() const { return m_ok; }
    /// Everything read and nothing left over.
    bool Done() const { return m_ok && m_at == m_bytes.size(); }

private:
    std::uint64_t Take(size_t count) {
        if (!m_ok || Left() < count) {
            m_ok = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (size_t i = 0; i < count; ++i) {
            value |= std::uint64_t(m_bytes[m_at + i]) << (8 * i);
        }
        m_at += count;
        return value;
    }

    std::span<const std::uint8_t> m_bytes;
    size_t m_at = 0;
    bool m_ok = true;
};

/// The leading size field of a request: the whole body, itself included.
bool SizeFieldMatches(Reader& reader, size_t bodyLength) {
    return reader.U32() == bodyLength && reader.Ok();
}

void AppendZone(std::vector<std::uint8_t>& out, const SdkZone& zone, std::uint32_t version) {
    PutText(out, zone.name);
    Put32(out, static_cast<std::uint32_t>(zone.type));
    Put32(out, zone.ledsMin);
    Put32(out, zone.ledsMax);
    Put32(out, zone.ledsCount);
    if (zone.matrix.empty()) {
        Put16(out, 0);
    } else {
        Put16(out, static_cast<std::uint16_t>(8 + 4 * zone.matrix.size()));
        Put32(out, zone.matrixHeight);
        Put32(out, zone.matrixWidth);
        for (std::uint32_t led : zone.matrix) {
            Put32(out, led);
        }
    }
    if (version >= 4) {
        Put16(out, 0);  // no segments
    }
}

}  // namespace

std::optional<SdkHeader> ParseSdkHeader(std::span<const std::uint8_t, kSdkHeaderLength> bytes,
                                        SdkHeaderProblem* problem) {
    const auto refuse = [problem](SdkHeaderProblem why) -> std::optional<SdkHeader> {
        if (problem) {
            *problem = why;
        }
        return std::nullopt;
    };
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        return refuse(SdkHeaderProblem::kBadMagic);
    }
    Reader reader(bytes.subspan(4));
    SdkHeader header;
    header.deviceId = reader.U32();
    header.packetId = reader.U32();
    header.bodyLength = reader.U32();
    if (header.bodyLength > kSdkMaxBodyLength) {
        return refuse(SdkHeaderProblem::kTooLarge);
    }
    if (problem) {
        *problem = SdkHeaderProblem::kNone;
    }
    return header;
}

std::vector<std::uint8_t> EncodeSdkPacket(std::uint32_t deviceId, std::uint32_t packetId,
                                          std::span<const std::uint8_t> body) {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    out.reserve(kSdkHeaderLength + body.size());
    Put32(out, deviceId);
    Put32(out, packetId);
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void AppendSdkMode(std::vector<std::uint8_t>& out, const SdkMode& mode, std::uint32_t version) {
    PutText(out, mode.name);
    Put32(out, static_cast<std::uint32_t>(mode.value));
    Put32(out, mode.flags);
    Put32(out, mode.speedMin);
    Put32(out, mode.speedMax);
    if (version >= 3) {
        Put32(out, mode.brightnessMin);
        Put32(out, mode.brightnessMax);
    }
    Put32(out, mode.coloursMin);
    Put32(out, mode.coloursMax);
    Put32(out, mode.speed);
    if (version >= 3) {
        Put32(out, mode.brightness);
    }
    Put32(out, mode.direction);
    Put32(out, mode.colourMode);
    Put16(out, static_cast<std::uint16_t>(mode.colours.size()));
    for (SdkColour colour : mode.colours) {
        Put32(out, colour);
    }
}

std::vector<std::uint8_t> EncodeControllerData(const SdkController& controller,
                                               std::uint32_t version) {
    std::vector<std::uint8_t> out;
    Put32(out, 0);  // the size, filled in last
    Put32(out, static_cast<std::uint32_t>(controller.type));
    PutText(out, controller.name);
    if (version >= 1) {
        PutText(out, controller.vendor);
    }
    PutText(out, controller.description);
    PutText(out, controller.version);
    PutText(out, controller.serial);
    PutText(out, controller.location);
    Put16(out, static_cast<std::uint16_t>(controller.modes.size()));
    Put32(out, static_cast<std::uint32_t>(controller.activeMode));
    for (const SdkMode& mode : controller.modes) {
        AppendSdkMode(out, mode, version);
    }
    Put16(out, static_cast<std::uint16_t>(controller.zones.size()));
    for (const SdkZone& zone : controller.zones) {
        AppendZone(out, zone, version);
    }
    Put16(out, static_cast<std::uint16_t>(controller.leds.size()));
    for (const SdkLed& led : controller.leds) {
        PutText(out, led.name);
        Put32(out, led.value);
    }
    Put16(out, static_cast<std::uint16_t>(controller.colours.size()));
    for (SdkColour colour : controller.colours) {
        Put32(out, colour);
    }
    const auto size = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) {
        out[size_t(i)] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    return out;
}

std::optional<SdkColourUpdate> DecodeUpdateLeds(std::span<const std::uint8_t> body) {
    Reader reader(body);
    if (!SizeFieldMatches(reader, body.size())) {
        return std::nullopt;
    }
    SdkColourUpdate update;
    update.colours = reader.Colours(reader.U16());
    return reader.Done() ? std::optional(std::move(update)) : std::nullopt;
}

std::optional<SdkColourUpdate> DecodeUpdateZoneLeds(std::span<const std::uint8_t> body) {
    Reader reader(body);
    if (!SizeFieldMatches(reader, body.size())) {
        return std::nullopt;
    }
    SdkColourUpdate update;
    update.zone = reader.U32();
    update.colours = reader.Colours(reader.U16());
    return reader.Done() ? std::optional(std::move(update)) : std::nullopt;
}

std::optional<SdkSingleLed> DecodeUpdateSingleLed(std::span<const std::uint8_t> body) {
    Reader reader(body);
    SdkSingleLed single;
    single.led = reader.I32();
    single.colour = reader.U32();
    return reader.Done() ? std::optional(single) : std::nullopt;
}

std::optional<SdkModeUpdate> DecodeUpdateMode(std::span<const std::uint8_t> body,
                                              std::uint32_t version) {
    Reader reader(body);
    if (!SizeFieldMatches(reader, body.size())) {
        return std::nullopt;
    }
    SdkModeUpdate update;
    update.modeIndex = reader.I32();
    SdkMode& mode = update.mode;
    mode.name = reader.Text();
    mode.value = reader.I32();
    mode.flags = reader.U32();
    mode.speedMin = reader.U32();
    mode.speedMax = reader.U32();
    if (version >= 3) {
        mode.brightnessMin = reader.U32();
        mode.brightnessMax = reader.U32();
    }
    mode.coloursMin = reader.U32();
    mode.coloursMax = reader.U32();
    mode.speed = reader.U32();
    if (version >= 3) {
        mode.brightness = reader.U32();
    }
    mode.direction = reader.U32();
    mode.colourMode = reader.U32();
    mode.colours = reader.Colours(reader.U16());
    return reader.Done() ? std::optional(std::move(update)) : std::nullopt;
}

std::string DecodeClientName(std::span<const std::uint8_t> body) {
    const auto end = std::find(body.begin(), body.end(), std::uint8_t{0});
    return std::string(body.begin(), end);
}

std::vector<std::uint8_t> EncodeSdkUint32(std::uint32_t value) {
    std::vector<std::uint8_t> out;
    Put32(out, value);
    return out;
}

std::optional<std::uint32_t> DecodeSdkUint32(std::span<const std::uint8_t> body) {
    Reader reader(body);
    const std::uint32_t value = reader.U32();
    return reader.Done() ? std::optional(value) : std::nullopt;
}

}  // namespace zephyl
