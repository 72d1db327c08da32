// SPDX-License-Identifier: GPL-2.0-or-later
// The SDK packets against their published layout: hand-counted sizes and bytes.
#include "sdkserver/SdkProtocol.h"

#include <gtest/gtest.h>

#include <array>

namespace zephyl {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

Bytes Header(const char* magic, std::uint32_t device, std::uint32_t id, std::uint32_t size) {
    Bytes out(magic, magic + 4);
    Put32(out, device);
    Put32(out, id);
    Put32(out, size);
    return out;
}

TEST(SdkProtocolTest, HeadersAreReadOrRefused) {
    struct Case {
        const char* what;
        Bytes bytes;
        bool accepted;
        SdkHeaderProblem problem;
    };
    const Case cases[] = {
        {"plain", Header("ORGB", 3, 1050, 20), true, SdkHeaderProblem::kNone},
        {"largest body", Header("ORGB", 0, 1, kSdkMaxBodyLength), true, SdkHeaderProblem::kNone},
        {"body too large", Header("ORGB", 0, 1, kSdkMaxBodyLength + 1), false,
         SdkHeaderProblem::kTooLarge},
        {"wrong magic", Header("ORGC", 0, 0, 0), false, SdkHeaderProblem::kBadMagic},
        {"text", Header("GET ", 0x2f20, 0x50545448, 0x312e312f), false,
         SdkHeaderProblem::kBadMagic},
    };
    for (const Case& c : cases) {
        SdkHeaderProblem problem = SdkHeaderProblem::kNone;
        const auto header = ParseSdkHeader(
            std::span<const std::uint8_t, kSdkHeaderLength>(c.bytes.data(), kSdkHeaderLength),
            &problem);
        EXPECT_EQ(header.has_value(), c.accepted) << c.what;
        EXPECT_EQ(problem, c.problem) << c.what;
    }
    const auto header = ParseSdkHeader(std::span<const std::uint8_t, kSdkHeaderLength>(
        Header("ORGB", 3, 1050, 20).data(), kSdkHeaderLength));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->deviceId, 3u);
    EXPECT_EQ(header->packetId, 1050u);
    EXPECT_EQ(header->bodyLength, 20u);
    EXPECT_EQ(EncodeSdkPacket(3, 1050, Bytes(20, 0)).size(), 36u);
    EXPECT_EQ(EncodeSdkPacket(3, 1050, {}), Header("ORGB", 3, 1050, 0));
}

/// One of everything: two-letter texts, one mode, one 1 × 1 matrix zone, one LED, one colour.
SdkController SmallController() {
    SdkController controller;
    controller.name = "K";
    controller.vendor = "V";
    SdkMode mode;
    mode.name = "Direct";
    mode.flags = kSdkModeHasPerLedColour;
    mode.colourMode = kSdkColourModePerLed;
    controller.modes = {mode};
    SdkZone zone;
    zone.name = "Z";
    zone.ledsMin = zone.ledsMax = zone.ledsCount = 1;
    zone.matrixHeight = zone.matrixWidth = 1;
    zone.matrix = {0};
    controller.zones = {zone};
    controller.leds = {{"A", 4}};
    controller.colours = {0x00332211};
    return controller;
}

TEST(SdkProtocolTest, ControllerDataHasTheFieldsOfItsVersion) {
    // Counted by hand from the layout: version 0 is 129 bytes; 1 adds the vendor (2 + 2),
    // 3 adds brightness minimum, maximum and value to each mode (12), 4 a segment count to
    // each zone (2).
    const std::pair<std::uint32_t, size_t> cases[] = {
        {0, 129}, {1, 133}, {2, 133}, {3, 145}, {4, 147}};
    for (const auto& [version, size] : cases) {
        const Bytes data = EncodeControllerData(SmallController(), version);
        ASSERT_EQ(data.size(), size) << "version " << version;
        EXPECT_EQ(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24, int(size))
            << "the size field counts the whole block";
        EXPECT_EQ(Bytes(data.end() - 6, data.end()), (Bytes{1, 0, 0x11, 0x22, 0x33, 0}))
            << "the colours close the block, red first";
    }
    // The front of the version 1 block, byte by byte.
    const Bytes data = EncodeControllerData(SmallController(), 1);
    const Bytes front = {133, 0, 0,   0,   5,   0,   0,   0,  // size, type keyboard
                         2,   0, 'K', 0,   2,   0,   'V', 0,  // name, vendor
                         1,   0, 0,   1,   0,   0,   1,   0,   0,
                         1,   0, 0,                 // description .. location
                         1,   0, 0,   0,   0,   0,  // one mode, the active one
                         7,   0, 'D', 'i', 'r', 'e', 'c', 't', 0};
    EXPECT_EQ(Bytes(data.begin(), data.begin() + long(front.size())), front);
}

Bytes ColourBody(std::uint32_t sizeField, std::optional<std::uint32_t> zone, std::uint16_t count,
                 std::vector<std::uint32_t> colours) {
    Bytes out;
    Put32(out, sizeField);
    if (zone) {
        Put32(out, *zone);
    }
    out.push_back(std::uint8_t(count));
    out.push_back(std::uint8_t(count >> 8));
    for (std::uint32_t colour : colours) {
        Put32(out, colour);
    }
    return out;
}

TEST(SdkProtocolTest, ColourUpdatesAreTakenOnlyWhenTheirSizesAgree) {
    struct Case {
        const char* what;
        Bytes body;
        bool zone;
        bool accepted;
    };
    Bytes truncated = ColourBody(14, std::nullopt, 2, {0x0000FF, 0x00FF00});
    truncated.pop_back();
    Bytes trailing = ColourBody(15, std::nullopt, 2, {0x0000FF, 0x00FF00});
    trailing.push_back(0);
    const Case cases[] = {
        {"two colours", ColourBody(14, std::nullopt, 2, {0x0000FF, 0x00FF00}), false, true},
        {"no colour", ColourBody(6, std::nullopt, 0, {}), false, true},
        {"zone", ColourBody(18, 0, 2, {0x0000FF, 0x00FF00}), true, true},
        {"last byte missing", truncated, false, false},
        {"a byte too many", trailing, false, false},
        {"size field wrong", ColourBody(20, std::nullopt, 2, {0x0000FF, 0x00FF00}), false, false},
        {"count beyond the colours", ColourBody(10, std::nullopt, 2, {0x0000FF}), false, false},
        {"count short of the colours", ColourBody(14, std::nullopt, 1, {1, 2}), false, false},
        {"zone without its number", ColourBody(14, std::nullopt, 2, {1, 2}), true, false},
        {"empty", {}, false, false},
    };
    for (const Case& c : cases) {
        const auto update = c.zone ? DecodeUpdateZoneLeds(c.body) : DecodeUpdateLeds(c.body);
        EXPECT_EQ(update.has_value(), c.accepted) << c.what;
    }
    const auto update = DecodeUpdateZoneLeds(ColourBody(18, 7, 2, {0x0000FF, 0x00FF00}));
    ASSERT_TRUE(update);
    EXPECT_EQ(update->zone, 7u);
    EXPECT_EQ(update->colours, (std::vector<SdkColour>{0x0000FF, 0x00FF00}));

    Bytes single;
    Put32(single, 5);
    Put32(single, 0x00A5FF);
    const auto led = DecodeUpdateSingleLed(single);
    ASSERT_TRUE(led);
    EXPECT_EQ(led->led, 5);
    EXPECT_EQ(led->colour, 0x00A5FFu);
    single.pop_back();
    EXPECT_FALSE(DecodeUpdateSingleLed(single));
}

TEST(SdkProtocolTest, ModeUpdatesAreReadAtTheClientsVersion) {
    SdkMode mode;
    mode.name = "Wave";
    mode.value = 10;
    mode.flags = kSdkModeHasSpeed | kSdkModeHasBrightness;
    mode.speedMax = 4;
    mode.brightnessMax = 4;
    mode.speed = 3;
    mode.brightness = 2;
    mode.direction = 1;
    mode.colourMode = kSdkColourModeModeSpecific;
    mode.colours = {0x00FF00};
    for (const std::uint32_t version : {0u, 2u, 3u, 4u}) {
        Bytes body;
        Put32(body, 0);
        Put32(body, 11);
        AppendSdkMode(body, mode, version);
        body[0] = std::uint8_t(body.size());
        // 4 + 4 + name 7 + nine numbers 36 + count 2 + one colour 4, and at version 3 the
        // brightness fields (12).
        EXPECT_EQ(body.size(), version >= 3 ? 69u : 57u) << "version " << version;
        const auto update = DecodeUpdateMode(body, version);
        ASSERT_TRUE(update) << "version " << version;
        EXPECT_EQ(update->modeIndex, 11);
        SdkMode expected = mode;
        if (version < 3) {
            expected.brightness = expected.brightnessMax = 0;
        }
        EXPECT_EQ(update->mode, expected) << "version " << version;
        EXPECT_FALSE(DecodeUpdateMode(body, version >= 3 ? 0 : 3))
            << "a mode read at another version does not fit";
        body.pop_back();
        body[0] = std::uint8_t(body.size());
        EXPECT_FALSE(DecodeUpdateMode(body, version)) << "truncated colour";
    }
}

}  // namespace
}  // namespace zephyl
