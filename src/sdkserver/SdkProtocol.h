// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The OpenRGB SDK network protocol as pure functions: the packet header, the controller
// description a client reads, and the requests that change colours and modes. Protocol
// versions 0 to 4 are spoken; a client that offers more gets 4.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

inline constexpr std::uint32_t kSdkProtocolVersion = 4;
inline constexpr std::uint16_t kSdkDefaultPort = 6742;
inline constexpr size_t kSdkHeaderLength = 16;
/// The largest packet body accepted. A full colour update of a 128-key keyboard is about
/// 520 bytes and a mode a few hundred: anything far beyond that is not a client of ours.
inline constexpr std::uint32_t kSdkMaxBodyLength = 64 * 1024;

enum SdkPacketId : std::uint32_t {
    kSdkRequestControllerCount = 0,
    kSdkRequestControllerData = 1,
    kSdkRequestProtocolVersion = 40,
    kSdkSetClientName = 50,
    kSdkDeviceListUpdated = 100,
    kSdkRequestProfileList = 150,
    kSdkRequestPluginList = 200,
    kSdkResizeZone = 1000,
    kSdkUpdateLeds = 1050,
    kSdkUpdateZoneLeds = 1051,
    kSdkUpdateSingleLed = 1052,
    kSdkSetCustomMode = 1100,
    kSdkUpdateMode = 1101,
    kSdkSaveMode = 1102,
};

inline constexpr int kSdkDeviceTypeKeyboard = 5;
inline constexpr int kSdkZoneTypeMatrix = 2;
inline constexpr std::uint32_t kSdkNoLed = 0xFFFFFFFF;

/// Mode flags.
inline constexpr std::uint32_t kSdkModeHasSpeed = 1u << 0;
inline constexpr std::uint32_t kSdkModeHasDirectionLR = 1u << 1;
inline constexpr std::uint32_t kSdkModeHasDirectionUD = 1u << 2;
inline constexpr std::uint32_t kSdkModeHasBrightness = 1u << 4;
inline constexpr std::uint32_t kSdkModeHasPerLedColour = 1u << 5;
inline constexpr std::uint32_t kSdkModeHasModeSpecificColour = 1u << 6;
inline constexpr std::uint32_t kSdkModeHasRandomColour = 1u << 7;

enum SdkColourMode : std::uint32_t {
    kSdkColourModeNone = 0,
    kSdkColourModePerLed = 1,
    kSdkColourModeModeSpecific = 2,
    kSdkColourModeRandom = 3,
};

/// Colours travel as red, green, blue and an unused byte: 0x00BBGGRR read little-endian, the
/// same value the rest of the program uses.
using SdkColour = std::uint32_t;

struct SdkHeader {
    std::uint32_t deviceId = 0;
    std::uint32_t packetId = 0;
    std::uint32_t bodyLength = 0;
};

enum class SdkHeaderProblem { kNone, kBadMagic, kTooLarge };

/// Reads the 16 header bytes; `problem` says why a header is refused (a client that sends
/// either is not speaking the protocol and is dropped).
std::optional<SdkHeader> ParseSdkHeader(std::span<const std::uint8_t, kSdkHeaderLength> bytes,
                                        SdkHeaderProblem* problem = nullptr);

/// Header and body of one packet.
std::vector<std::uint8_t> EncodeSdkPacket(std::uint32_t deviceId, std::uint32_t packetId,
                                          std::span<const std::uint8_t> body);

struct SdkMode {
    std::string name;
    std::int32_t value = 0;
    std::uint32_t flags = 0;
    std::uint32_t speedMin = 0;
    std::uint32_t speedMax = 0;
    std::uint32_t brightnessMin = 0;  ///< versions 3 and later
    std::uint32_t brightnessMax = 0;
    std::uint32_t coloursMin = 0;
    std::uint32_t coloursMax = 0;
    std::uint32_t speed = 0;
    std::uint32_t brightness = 0;
    std::uint32_t direction = 0;
    std::uint32_t colourMode = kSdkColourModeNone;
    std::vector<SdkColour> colours;
    bool operator==(const SdkMode&) const = default;
};

struct SdkZone {
    std::string name;
    std::int32_t type = kSdkZoneTypeMatrix;
    std::uint32_t ledsMin = 0;
    std::uint32_t ledsMax = 0;
    std::uint32_t ledsCount = 0;
    /// Row-major LED indices, kSdkNoLed where no key sits; empty for a zone without a matrix.
    std::uint32_t matrixHeight = 0;
    std::uint32_t matrixWidth = 0;
    std::vector<std::uint32_t> matrix;
};

struct SdkLed {
    std::string name;
    std::uint32_t value = 0;
};

struct SdkController {
    std::int32_t type = kSdkDeviceTypeKeyboard;
    std::string name;
    std::string vendor;  ///< versions 1 and later
    std::string description;
    std::string version;
    std::string serial;
    std::string location;
    std::vector<SdkMode> modes;
    std::int32_t activeMode = 0;
    std::vector<SdkZone> zones;
    std::vector<SdkLed> leds;
    std::vector<SdkColour> colours;
};

/// The body answering a controller data request at `version`: its size, then the device.
std::vector<std::uint8_t> EncodeControllerData(const SdkController& controller,
                                               std::uint32_t version);

/// One mode as the controller data and the mode requests carry it at `version`.
void AppendSdkMode(std::vector<std::uint8_t>& out, const SdkMode& mode, std::uint32_t version);

/// Colours for the LEDs from `firstLed` on.
struct SdkColourUpdate {
    std::uint32_t zone = 0;  ///< update zone LEDs only
    std::vector<SdkColour> colours;
};

/// Update LEDs: size, count, colours. Nothing when the body is short, its sizes disagree or
/// bytes are left over.
std::optional<SdkColourUpdate> DecodeUpdateLeds(std::span<const std::uint8_t> body);
/// Update zone LEDs: size, zone, count, colours.
std::optional<SdkColourUpdate> DecodeUpdateZoneLeds(std::span<const std::uint8_t> body);

struct SdkSingleLed {
    std::int32_t led = 0;
    SdkColour colour = 0;
};
std::optional<SdkSingleLed> DecodeUpdateSingleLed(std::span<const std::uint8_t> body);

struct SdkModeUpdate {
    std::int32_t modeIndex = 0;
    SdkMode mode;
};
/// Update mode (and save mode): size, mode index, the mode at the client's `version`.
std::optional<SdkModeUpdate> DecodeUpdateMode(std::span<const std::uint8_t> body,
                                              std::uint32_t version);

/// A client name: text up to the first zero byte.
std::string DecodeClientName(std::span<const std::uint8_t> body);

/// A four-byte little-endian number body (protocol version, controller count).
std::vector<std::uint8_t> EncodeSdkUint32(std::uint32_t value);
std::optional<std::uint32_t> DecodeSdkUint32(std::span<const std::uint8_t> body);

}  // namespace zephyl
