// SPDX-License-Identifier: GPL-2.0-or-later
// Scripted cable exchanges (feature reports with status read-back) and the memory they leave.

#include "VirtualTestSupport.h"
#include "virtual/KeyboardMemory.h"

#include <cstdio>

namespace zephyl::test {
namespace {

constexpr int kK100Cable = 0x5A10;
constexpr int kK68Cable = 0x5A20;
constexpr int kK87Cable = 0x5A30;

Bytes Command(int command, Positions more = {}) {
    Bytes report = Report(65, {{1, 0x04}, {2, command}});
    for (const auto& [position, value] : more) {
        report.at(static_cast<std::size_t>(position)) = static_cast<std::uint8_t>(value);
    }
    return report;
}

/// A block of `length` bytes with the given bytes set and, unless told otherwise, the trailer
/// 0xAA 0x55 in its last two bytes.
Bytes Block(std::size_t length, Positions bytes, bool trailer = true) {
    Bytes block = Report(length, bytes);
    if (trailer) {
        block[length - 2] = 0xAA;
        block[length - 1] = 0x55;
    }
    return block;
}

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

struct Step {
    Bytes report;  ///< a 65-byte report, or a block sent as packets
    bool block;    ///< send as unconfirmed 64-byte packets
    int status;    ///< expected read-back status; -1: no read-back
};

Step Confirm(Bytes report, int status = 1) {
    return {std::move(report), false, status};
}
Step Data(Bytes block) {
    return {std::move(block), true, -1};
}

/// begin, header, data, end, each confirmed and accepted.
std::vector<Step> Write(int type, Positions header, const Bytes& block, int begin = 0x18) {
    Bytes head = Command(type, header);
    return {Confirm(Command(begin)), Confirm(head), Data(block), Confirm(Command(0x02))};
}

std::vector<Step> Join(std::initializer_list<std::vector<Step>> parts) {
    std::vector<Step> steps;
    for (const auto& part : parts) {
        steps.insert(steps.end(), part.begin(), part.end());
    }
    return steps;
}

struct CableCase {
    const char* name;
    const char* scenario;
    int pid;
    std::vector<Step> steps;
    /// (path below the model's memory, expected value: text of strings, JSON otherwise)
    std::vector<std::pair<std::string, std::string>> memory;
};

const Bytes kSettings = Block(64, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 3}, {8, 2}});
const Bytes kKeyTable = Block(576, {{4, 0x02},
                                    {5, 0x03},
                                    {6, 0x04},
                                    {8, 0x05},
                                    {9, 0x03},
                                    {12, 0x06},
                                    {13, 0x02},
                                    {14, 0x01},
                                    {15, 0xFF}});
const Bytes kEffect = Block(
    64,
    {{0, 11}, {1, 10}, {2, 20}, {3, 30}, {8, 0}, {9, 4}, {10, 3}, {11, 1}, {14, 0xAA}, {15, 0x55}},
    false);
const Bytes kSideLight = Block(64, {{0, 0x29}, {14, 0xAA}, {15, 0x55}}, false);
// Two macros: key down/up 'A' with pauses 0 (raised to 10) and 25; the second empty.
const Bytes kMacroImage = Block(512, {{0, 0x90},
                                      {1, 0x01},
                                      {4, 0xFF},
                                      {5, 0xFF},
                                      {6, 0xFF},
                                      {7, 0xFF},
                                      {400, 0x04},
                                      {410, 0x04},
                                      {411, 0xB0},
                                      {412, 0x0A},
                                      {415, 0x50},
                                      {418, 0x04},
                                      {419, 0x30},
                                      {420, 0x19},
                                      {423, 0x50}});
const Bytes kUserColoursRgb = Block(576, {{4, 1}, {5, 0xFF}, {8, 2}, {10, 0x80}});
const Bytes kUserColoursSingle = Block(192, {{1, 0xFF}, {7, 0xFF}});
const Bytes kSelectSlot2 = Block(64, {{0, 0x5A}, {1, 2}});
const Bytes kScreenSettings = Block(64, {{6, 0x02}, {7, 0x07}, {8, 0x02}});
// 9 December 2026, 00:39:52, a Wednesday, library position 3.
const Bytes kClock =
    Block(64, {{1, 3}, {2, 0x5A}, {3, 26}, {4, 12}, {5, 9}, {6, 0}, {7, 39}, {8, 52}, {10, 3}});
const Bytes kFactoryKeyTable(576, 0);

std::vector<CableCase> Cases() {
    return {
        {"settings block",
         "101:0",
         kK100Cable,
         Write(0x17, {{3, 1}, {9, 1}}, kSettings),
         {{"settings.1", HexOf(kSettings)},
          {"settings_view.1.sleep_time", "3"},
          {"settings_view.1.key_respondtime", "2"},
          {"counters.writes", "1"}}},
        {"key table then refresh",
         "101:0",
         kK100Cable,
         Join({Write(0x11, {{9, 9}}, kKeyTable), {Confirm(Command(0xF0))}}),
         {{"key_tables.0", HexOf(kKeyTable)},
          {"key_tables.1", HexOf(kFactoryKeyTable)},
          {"counters.refreshes", "1"}}},
        {"Fn layer key table",
         "103:0",
         kK87Cable,
         Write(0x27, {{9, 9}}, kKeyTable),
         {{"key_tables.1", HexOf(kKeyTable)}, {"key_tables.0", HexOf(kFactoryKeyTable)}}},
        {"lighting effect",
         "101:0",
         kK100Cable,
         Write(0x13, {{9, 1}}, kEffect),
         {{"lighting", HexOf(Bytes(kEffect.begin(), kEffect.begin() + 16))},
          {"lighting_view.mode", "11"},
          {"lighting_view.direction", "1"},
          {"side_light", "32"}}},
        {"side light through the lighting block",
         "101:0",
         kK100Cable,
         Write(0x13, {{9, 1}}, kSideLight),
         {{"side_light", "41"}, {"lighting_view.mode", "6"}}},
        {"side light on a model without one",
         "102:0",
         kK68Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x13, {{9, 1}})), Data(kSideLight),
          Confirm(Command(0x02), 0)},
         {{"side_light", "0"}, {"refused.malformed", "1"}}},
        {"macro image",
         "101:0",
         kK100Cable,
         Write(0x15, {{9, 8}}, kMacroImage, 0x19),
         {{"macro_image", HexOf(kMacroImage)}}},
        {"macro header after an ordinary begin",
         "101:0",
         kK100Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x15, {{9, 8}}), 0), Confirm(Command(0x02), 0)},
         {{"macro_image", ""}, {"refused.sequence", "1"}}},
        {"user colours, per-key colour",
         "101:0",
         kK100Cable,
         Write(0x23, {{9, 9}}, kUserColoursRgb),
         {{"user_colors", HexOf(kUserColoursRgb)}}},
        {"user colours, single colour",
         "103:0",
         kK87Cable,
         Write(0x23, {{9, 3}}, kUserColoursSingle),
         {{"user_colors", HexOf(kUserColoursSingle)}}},
        {"user colours with the wrong packet count",
         "101:0",
         kK100Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x23, {{9, 3}}), 0)},
         {{"user_colors", ""}, {"refused.malformed", "1"}}},
        {"slot selection, screen settings and clock",
         "102:0",
         kK68Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x28, {{9, 1}})),
          Confirm(Report(65, {{1, 0x5A}, {2, 2}, {63, 0xAA}, {64, 0x55}})), Confirm(Command(0x02)),
          Confirm(Command(0x18)), Confirm(Command(0x17, {{9, 1}})),
          Confirm(Report(65, {{7, 0x02}, {8, 0x07}, {9, 0x02}, {63, 0xAA}, {64, 0x55}})),
          Confirm(Command(0x02)), Confirm(Command(0x18)), Confirm(Command(0x28, {{9, 1}})),
          Data(kClock), Confirm(Command(0x02))},
         {{"screen.current_slot", "2"},
          {"settings.0", HexOf(kScreenSettings)},
          {"clock",
           "{\"library_position\":3,\"year\":26,\"month\":12,\"day\":9,\"hour\":0,\"minute\":39,"
           "\"second\":52,\"weekday\":3}"}}},
        {"slot beyond the model's slots",
         "102:0",
         kK68Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x28, {{9, 1}})),
          Data(Block(64, {{0, 0x5A}, {1, 4}})), Confirm(Command(0x02), 0)},
         {{"screen.current_slot", "1"}, {"refused.malformed", "1"}}},
        {"screen block on a model without a screen",
         "101:0",
         kK100Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x28, {{9, 1}}), 0)},
         {{"clock", "null"}, {"refused.malformed", "1"}}},
        {"header without begin",
         "101:0",
         kK100Cable,
         {Confirm(Command(0x11, {{9, 9}}), 0), Confirm(Command(0x02), 0)},
         {{"refused.sequence", "2"}}},
        {"block without its trailer",
         "101:0",
         kK100Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x11, {{9, 9}})),
          Data(Block(576, {{4, 2}}, false)), Confirm(Command(0x02), 0)},
         {{"key_tables.0", HexOf(kFactoryKeyTable)}, {"refused.trailer", "1"}}},
        {"unknown commands",
         "101:0",
         kK100Cable,
         {Confirm(Command(0x55), 0), Confirm(Report(65, {{1, 0x07}, {2, 0x18}}), 0)},
         {{"refused.unknown", "2"}}},
        {"a refused report fails the whole sequence",
         "101:0",
         kK100Cable,
         {Confirm(Command(0x18)), Confirm(Command(0x17, {{3, 1}, {9, 2}}), 0),
          Confirm(Command(0x02), 0)},
         {{"settings", "{}"}, {"refused.malformed", "1"}}},
    };
}

class VirtualCableTest : public VirtualFixture {};

TEST_F(VirtualCableTest, ScriptedExchangesLeaveTheirMemory) {
    for (const CableCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        Load(c.scenario);
        hid_device* cable = OpenCable(c.pid);
        ASSERT_NE(cable, nullptr);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            const Step& step = c.steps[i];
            if (step.block) {
                EXPECT_TRUE(SendBlock(cable, step.report));
            } else {
                EXPECT_EQ(Confirmed(cable, step.report), step.status);
            }
        }
        const int model = std::stoi(c.scenario);
        for (const auto& [path, expected] : c.memory) {
            EXPECT_EQ(Memory(model, path), expected) << path;
        }
    }
}

TEST_F(VirtualCableTest, ReadBackEchoesTheReportAndCountsTheReportId) {
    Load("101:0");
    hid_device* cable = OpenCable(kK100Cable);
    const Bytes begin = Command(0x18);
    ASSERT_EQ(hid_send_feature_report(cable, begin.data(), begin.size()), 65);
    Bytes back(65, 0);
    ASSERT_EQ(hid_get_feature_report(cable, back.data(), back.size()), 65);
    EXPECT_EQ(HexOf(Bytes(back.begin(), back.begin() + 5)), "0004180001");
    // A shorter buffer gets the start of the report, and the count says how much.
    Bytes shortBack(4, 0);
    EXPECT_EQ(hid_get_feature_report(cable, shortBack.data(), shortBack.size()), 4);
}

TEST_F(VirtualCableTest, LiveColourReadAnswersNineBlocks) {
    struct LiveCase {
        const char* scenario;
        int pid;
        std::vector<Step> setup;
        int blocks;
        std::vector<std::pair<int, std::string>> expected;  ///< block index → its first bytes
    };
    const Bytes userLevels = Block(192, {{1, 0xFF}, {70, 0xFF}});
    const std::vector<LiveCase> cases = {
        // Colour 10, 20, 30 at full brightness (5 of 5) on every light, [index, r, g, b].
        {"101:0",
         kK100Cable,
         Write(
             0x13, {{9, 1}},
             Block(64, {{0, 1}, {1, 10}, {2, 20}, {3, 30}, {9, 5}, {14, 0xAA}, {15, 0x55}}, false)),
         9,
         {{0, "000a141e010a141e020a141e"}, {8, "800a141e"}}},
        // Single colour: one level per light, here 3 of 4 of full; blocks beyond the three
        // asked for come back empty.
        {"103:0",
         kK87Cable,
         Write(0x13, {{9, 1}}, Block(64, {{0, 1}, {9, 3}, {14, 0xAA}, {15, 0x55}}, false)),
         3,
         {{0, "bfbfbfbf"}, {2, Repeat("bf", 64)}, {3, Repeat("00", 64)}}},
        // Single colour in user lighting: the stored levels.
        {"103:0",
         kK87Cable,
         Join({Write(0x13, {{9, 1}}, Block(64, {{0, 0x80}, {9, 3}, {14, 0xAA}, {15, 0x55}}, false)),
               Write(0x23, {{9, 3}}, userLevels)}),
         3,
         {{0, "00ff00"}, {1, "000000000000ff00"}, {3, "00000000"}}},
    };
    for (const LiveCase& c : cases) {
        SCOPED_TRACE(c.scenario);
        Load(c.scenario);
        hid_device* cable = OpenCable(c.pid);
        for (const Step& step : c.setup) {
            if (step.block) {
                ASSERT_TRUE(SendBlock(cable, step.report));
            } else {
                ASSERT_EQ(Confirmed(cable, step.report), step.status);
            }
        }
        ASSERT_EQ(Confirmed(cable, Command(0xF5, {{9, c.blocks}})), 1);
        std::vector<std::string> blocks;
        for (int i = 0; i < 9; ++i) {
            Bytes answer(65, 0);
            ASSERT_EQ(hid_get_feature_report(cable, answer.data(), answer.size()), 65);
            blocks.push_back(HexOf(Bytes(answer.begin() + 1, answer.end())));
        }
        for (const auto& [index, prefix] : c.expected) {
            EXPECT_EQ(blocks[static_cast<std::size_t>(index)].substr(0, prefix.size()), prefix)
                << "block " << index;
        }
        EXPECT_EQ(Confirmed(cable, Command(0x02)), 1);
        EXPECT_EQ(Memory(std::stoi(c.scenario), "counters.live_reads"), "1");
    }
}

TEST_F(VirtualCableTest, StreamedFramesShowOnTheKeysAndAreCounted) {
    Load("101:0");
    hid_device* cable = OpenCable(kK100Cable);
    // Groups are placed by their light index, whatever their order in the frame.
    const Bytes frame = Report(512, {{0, 7}, {1, 1}, {2, 2}, {3, 3}, {4, 2}, {5, 9}});
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(Confirmed(cable, Command(0x20, {{9, 8}})), 1);
        ASSERT_TRUE(SendBlock(cable, frame));
        ASSERT_EQ(Confirmed(cable, Command(0x02)), 1);
    }
    EXPECT_EQ(Memory(101, "streamed_frames"), "2");
    EXPECT_EQ(Memory(101, "last_frame"), HexOf(frame));

    ASSERT_EQ(Confirmed(cable, Command(0xF5, {{9, 9}})), 1);
    Bytes answer(65, 0);
    ASSERT_EQ(hid_get_feature_report(cable, answer.data(), answer.size()), 65);
    EXPECT_EQ(HexOf(Bytes(answer.begin() + 1, answer.begin() + 33)),
              "0000000001000000020900000300000004000000050000000600000007010203");

    // A single-colour keyboard takes three packets, not eight.
    EXPECT_EQ(Confirmed(cable, Command(0x20, {{9, 3}})), 0);
    EXPECT_EQ(Memory(101, "refused.malformed"), "1");
}

TEST_F(VirtualCableTest, ScreenImageOverTheBulkInterfaceFillsTheSelectedSlot) {
    Load("102:0");
    hid_device* cable = OpenCable(kK68Cable);
    hid_device* bulk = OpenBulk(kK68Cable);
    ASSERT_NE(bulk, nullptr);
    ASSERT_EQ(Confirmed(cable, Command(0x18)), 1);
    ASSERT_EQ(Confirmed(cable, Command(0x28, {{9, 1}})), 1);
    ASSERT_EQ(Confirmed(cable, Report(65, {{1, 0x5A}, {2, 3}, {63, 0xAA}, {64, 0x55}})), 1);
    ASSERT_EQ(Confirmed(cable, Command(0x02)), 1);

    // Two frames with delay codes 15 and 250, then pixels; two 4096-byte units.
    Bytes image(8192, 0xFF);
    image[0] = 2;
    image[1] = 15;
    image[2] = 250;
    for (std::size_t i = 256; i < 6000; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7);
    }
    ASSERT_EQ(Confirmed(cable, Command(0x18)), 1);
    ASSERT_EQ(Confirmed(cable, Command(0x72, {{3, 5}, {9, 2}, {10, 0}})), 1);
    for (int unit = 0; unit < 2; ++unit) {
        Bytes report(4097, 0);
        std::copy_n(image.begin() + unit * 4096, 4096, report.begin() + 1);
        ASSERT_EQ(hid_write(bulk, report.data(), report.size()), 4097);
        Bytes answer(64, 0);
        ASSERT_EQ(hid_read_timeout(bulk, answer.data(), answer.size(), 300), 64);
        EXPECT_EQ(answer[1], 1) << "unit " << unit;
    }
    ASSERT_EQ(Confirmed(cable, Command(0x02)), 1);

    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(zephyl::virtualhid::Fnv1a(
                      zephyl::virtualhid::kFnvOffset, image.data(), image.size())));
    EXPECT_EQ(Memory(102, "screen.slots.2"),
              std::string("{\"slot\":3,\"filled\":true,\"upload_index\":5,\"transport\":\"bulk\","
                          "\"unit_size\":4096,\"units\":2,\"bytes\":8192,\"frames\":2,"
                          "\"delays\":[15,250],\"fnv1a64\":\"") +
                  hash + "\"}");
    EXPECT_EQ(Memory(102, "screen.slots.0.filled"), "false");
}

TEST_F(VirtualCableTest, ScreenImageThatStopsShortIsNotKept) {
    Load("102:0");
    hid_device* cable = OpenCable(kK68Cable);
    hid_device* bulk = OpenBulk(kK68Cable);
    // A bulk block before any header is refused.
    Bytes report(4097, 0);
    ASSERT_EQ(hid_write(bulk, report.data(), report.size()), 4097);
    Bytes answer(64, 0);
    ASSERT_EQ(hid_read_timeout(bulk, answer.data(), answer.size(), 300), 64);
    EXPECT_EQ(answer[1], 0);

    ASSERT_EQ(Confirmed(cable, Command(0x18)), 1);
    ASSERT_EQ(Confirmed(cable, Command(0x72, {{3, 1}, {9, 3}})), 1);
    ASSERT_EQ(hid_write(bulk, report.data(), report.size()), 4097);
    EXPECT_EQ(Confirmed(cable, Command(0x02)), 0);
    EXPECT_EQ(Memory(102, "screen.slots.0.filled"), "false");
    EXPECT_EQ(Memory(102, "refused.incomplete"), "1");
    EXPECT_EQ(Memory(102, "refused.sequence"), "1");
}

}  // namespace
}  // namespace zephyl::test
