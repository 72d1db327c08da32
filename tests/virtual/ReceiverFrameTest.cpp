// SPDX-License-Identifier: GPL-2.0-or-later
// Scripted receiver frames, the answers they get and the memory they leave.

#include "VirtualTestSupport.h"
#include "virtual/KeyboardMemory.h"

namespace zephyl::test {
namespace {

constexpr int kK100Receiver = 0x5A12;
constexpr int kK68Receiver = 0x5A22;

constexpr const char* kEcho = "echo";  ///< answer echoes frame bytes 1..3 and carries status 1
constexpr const char* kNone = "none";  ///< no answer at all

struct FrameStep {
    Bytes frame;
    std::string answer;  ///< kEcho, kNone, or the answer's expected first bytes in hex
};

/// A frame with data bytes placed from position 4 on, and its checksum.
Bytes DataFrame(int command, int length, int index, const Bytes& data) {
    Bytes frame = Report(33, {{1, command}, {2, length}, {3, index}});
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 28), frame.begin() + 4);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 32; ++i) {
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    }
    frame[32] = sum;
    return frame;
}

/// Cuts a block into 28-byte pieces; the last piece says `lastLength`.
std::vector<FrameStep> Pieces(int command, const Bytes& block, int lastLength) {
    std::vector<FrameStep> steps;
    const std::size_t pieces = (block.size() + 27) / 28;
    for (std::size_t k = 0; k < pieces; ++k) {
        const Bytes piece(
            block.begin() + static_cast<std::ptrdiff_t>(28 * k),
            block.begin() + static_cast<std::ptrdiff_t>(std::min(block.size(), 28 * k + 28)));
        const int length = k + 1 < pieces ? 28 : lastLength;
        steps.push_back({DataFrame(command, length, static_cast<int>(k), piece), kEcho});
    }
    return steps;
}

Bytes WithTrailer(std::size_t length, Positions bytes) {
    Bytes block = Report(length, bytes);
    block[length - 2] = 0xAA;
    block[length - 1] = 0x55;
    return block;
}

struct FrameCase {
    const char* name;
    const char* scenario;
    int pid;
    std::vector<FrameStep> steps;
    std::vector<std::pair<std::string, std::string>> memory;
};

const Bytes kKeyTable = WithTrailer(576, {{0, 0x02}, {2, 0x04}, {300, 0x07}, {301, 0x04}});
const Bytes kUserColours = WithTrailer(576, {{4, 1}, {5, 0xFF}, {6, 0x10}, {7, 0x20}});
// Two macros, the second empty: 424 bytes used, 17 pieces of 28 with the trailer at 474..475.
const Bytes kMacroImage = WithTrailer(476, {{0, 0x90},
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
const Bytes kSettingsBlock =
    WithTrailer(64, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 3}, {8, 2}});

std::vector<FrameStep> Join(std::initializer_list<std::vector<FrameStep>> parts) {
    std::vector<FrameStep> steps;
    for (const auto& part : parts) {
        steps.insert(steps.end(), part.begin(), part.end());
    }
    return steps;
}

std::vector<FrameCase> Cases() {
    Bytes badChecksum = Frame({{1, 0x20}, {2, 0x01}});
    badChecksum[32] ^= 0x01;
    Bytes outOfOrder = Pieces(0x10, kKeyTable, 16)[1].frame;
    return {
        {"handshake",
         "101:2",
         kK100Receiver,
         {{Frame({{1, 0x02}}), "02000001"}},
         {{"counters.handshakes", "1"}}},
        {"battery", "101:2", kK100Receiver, {{Frame({{1, 0x20}, {2, 0x01}}), "20010064"}}, {}},
        {"wrong checksum",
         "101:2",
         kK100Receiver,
         {{badChecksum, kNone}},
         {{"refused.checksum", "1"}}},
        {"key slot on both layers",
         "101:2",
         kK100Receiver,
         {{Frame({{1, 0x03}, {2, 4}, {3, 2}, {4, 0x02}, {6, 0x04}}), "03040201"},
          {Frame({{1, 0x0D}, {2, 4}, {3, 1}, {4, 0x05}, {5, 0x03}}), kEcho}},
         {{"key_tables.0", HexOf(Report(576, {{8, 0x02}, {10, 0x04}}))},
          {"key_tables.1", HexOf(Report(576, {{4, 0x05}, {5, 0x03}}))}}},
        {"key slot of a bad length",
         "101:2",
         kK100Receiver,
         {{Frame({{1, 0x03}, {2, 5}, {3, 2}}), kNone}},
         {{"refused.malformed", "1"}}},
        {"lighting record and side light",
         "101:2",
         kK100Receiver,
         {{Frame({{1, 0x05},
                  {2, 0x10},
                  {4, 11},
                  {5, 10},
                  {6, 20},
                  {7, 30},
                  {12, 1},
                  {13, 4},
                  {14, 3},
                  {15, 2},
                  {18, 0xAA},
                  {19, 0x55}}),
           kEcho},
          {Frame({{1, 0x05}, {2, 0x01}, {4, 0x22}, {18, 0xAA}, {19, 0x55}}), kEcho}},
         {{"lighting", "0b0a141e00000000010403020000aa55"}, {"side_light", "34"}}},
        {"settings leave the block the cable leaves",
         "101:2",
         kK100Receiver,
         {{Frame({{1, 0x07},
                  {2, 0x10},
                  {5, 1},
                  {6, 1},
                  {7, 1},
                  {8, 1},
                  {9, 1},
                  {10, 3},
                  {12, 2},
                  {18, 0xAA},
                  {19, 0x55}}),
           kEcho}},
         {{"settings.1", HexOf(kSettingsBlock)}}},
        {"clock",
         "102:2",
         kK68Receiver,
         {{Frame({{1, 0x0C},
                  {2, 0x10},
                  {5, 2},
                  {6, 0x5A},
                  {7, 26},
                  {8, 12},
                  {9, 9},
                  {10, 0},
                  {11, 39},
                  {12, 52},
                  {14, 3},
                  {18, 0xAA},
                  {19, 0x55}}),
           kEcho},
          {Frame({{1, 0x0C},
                  {2, 0x10},
                  {5, 2},
                  {6, 0x5A},
                  {7, 26},
                  {8, 13},
                  {9, 9},
                  {18, 0xAA},
                  {19, 0x55}}),
           kNone}},
         {{"clock.month", "12"}, {"clock.weekday", "3"}, {"refused.malformed", "1"}}},
        {"key table in 21 pieces",
         "101:2",
         kK100Receiver,
         Pieces(0x10, kKeyTable, 16),
         {{"key_tables.0", HexOf(kKeyTable)}, {"counters.writes", "1"}}},
        {"key table piece out of order",
         "101:2",
         kK100Receiver,
         {{outOfOrder, kNone}},
         {{"refused.sequence", "1"}}},
        {"user colours in 21 pieces",
         "101:2",
         kK100Receiver,
         Pieces(0x14, kUserColours, 16),
         {{"user_colors", HexOf(kUserColours)}}},
        {"macro image in 17 pieces",
         "101:2",
         kK100Receiver,
         Pieces(0x09, kMacroImage, 424 % 28),
         {{"macro_image", HexOf(kMacroImage)}}},
        {"music frame",
         "101:2",
         kK100Receiver,
         {{Frame({{1, 0x0B}, {2, 0x1C}, {4, 4}, {5, 0}, {6, 100}, {7, 9}, {27, 3}}), kEcho}},
         {{"music_frames", "1"},
          {"music",
           "{\"fore\":4,\"back\":0,\"back_brightness\":100,\"heights\":"
           "[9,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,3]}"}}},
        {"key reset",
         "101:2",
         kK100Receiver,
         Join({{{Frame({{1, 0x03}, {2, 4}, {3, 2}, {4, 0x02}}), kEcho}},
               {{Frame({{1, 0x1F}}), kEcho}}}),
         {{"key_tables.0", HexOf(Bytes(576, 0))}, {"counters.key_resets", "1"}}},
        {"restore defaults",
         "101:2",
         kK100Receiver,
         Join({{{Frame({{1, 0x07}, {2, 0x10}, {5, 1}, {18, 0xAA}, {19, 0x55}}), kEcho}},
               {{Frame({{1, 0x05}, {2, 0x10}, {4, 3}, {18, 0xAA}, {19, 0x55}}), kEcho}},
               {{Frame({{1, 0x0F}}), kEcho}}}),
         {{"settings", "{}"},
          {"lighting", "06ff000000000000010403000000aa55"},
          {"counters.restores", "1"}}},
        {"unknown command",
         "101:2",
         kK100Receiver,
         {{Frame({{1, 0x44}}), kNone}},
         {{"refused.unknown", "1"}}},
    };
}

class VirtualReceiverTest : public VirtualFixture {};

TEST_F(VirtualReceiverTest, ScriptedFramesGetTheirAnswersAndLeaveTheirMemory) {
    for (const FrameCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        Load(c.scenario);
        hid_device* receiver = OpenCable(c.pid);
        ASSERT_NE(receiver, nullptr);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const FrameStep& step = c.steps[i];
            const Bytes answer = Exchange(receiver, step.frame);
            if (step.answer == kNone) {
                EXPECT_TRUE(answer.empty()) << HexOf(answer);
                continue;
            }
            // The answer comes without a report id: 32 bytes, echo first.
            ASSERT_EQ(answer.size(), 32u);
            const std::string expected =
                step.answer == kEcho
                    ? HexOf(Bytes(step.frame.begin() + 1, step.frame.begin() + 4)) + "01"
                    : step.answer;
            EXPECT_EQ(HexOf(answer).substr(0, expected.size()), expected);
        }
        const int model = std::stoi(c.scenario);
        for (const auto& [path, expected] : c.memory) {
            EXPECT_EQ(Memory(model, path), expected) << path;
        }
    }
}

TEST_F(VirtualReceiverTest, ScreenImageInPiecesFillsTheCurrentSlot) {
    Load("102:2");
    hid_device* receiver = OpenCable(kK68Receiver);
    // 60 bytes of image: 3 units of 28, the tail padded with 0xFF.
    Bytes image(84, 0xFF);
    for (std::size_t i = 0; i < 60; ++i) {
        image[i] = static_cast<std::uint8_t>(i + 1);
    }
    image[0] = 1;
    image[1] = 50;
    EXPECT_EQ(HexOf(Exchange(receiver, Frame({{1, 0x7F}, {2, 3}, {4, 7}, {5, 3}}))),
              HexOf(Report(32, {{0, 0x7F}, {1, 3}, {3, 1}})));
    for (int unit = 0; unit < 3; ++unit) {
        const Bytes piece(image.begin() + 28 * unit, image.begin() + 28 * unit + 28);
        EXPECT_EQ(Exchange(receiver, DataFrame(0x80, unit, 0, piece)).size(), 32u);
    }
    // Another unit after the last one belongs to no image.
    EXPECT_TRUE(Exchange(receiver, DataFrame(0x80, 3, 0, Bytes(28, 0))).empty());

    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(zephyl::virtualhid::Fnv1a(
                      zephyl::virtualhid::kFnvOffset, image.data(), image.size())));
    EXPECT_EQ(Memory(102, "screen.slots.0"),
              std::string("{\"slot\":1,\"filled\":true,\"upload_index\":7,\"transport\":"
                          "\"receiver\",\"unit_size\":28,\"units\":3,\"bytes\":84,\"frames\":1,"
                          "\"delays\":[50],\"fnv1a64\":\"") +
                  hash + "\"}");
    EXPECT_EQ(Memory(102, "refused.sequence"), "1");
}

TEST_F(VirtualReceiverTest, ScreenUnitNumbersCarryTheirHighBitsInTheCommand) {
    Load("102:2");
    hid_device* receiver = OpenCable(kK68Receiver);
    // Unit 65536 is announced by command 0x81 with both number bytes 0; out of turn here.
    ASSERT_EQ(Exchange(receiver, Frame({{1, 0x7F}, {2, 3}, {4, 1}, {5, 2}})).size(), 32u);
    EXPECT_TRUE(Exchange(receiver, Frame({{1, 0x81}})).empty());
    EXPECT_EQ(Exchange(receiver, Frame({{1, 0x80}})).size(), 32u);
}

TEST_F(VirtualReceiverTest, SleepingKeyboardAnswersNothingUntilItWakes) {
    Load("101:2");
    hid_device* receiver = OpenCable(kK100Receiver);
    hid_device* notices = OpenNotification(kK100Receiver);
    const Bytes battery = Frame({{1, 0x20}, {2, 0x01}});
    ASSERT_EQ(zephyl_virtual_set_battery(101, 200), 0);
    ASSERT_EQ(zephyl_virtual_set_asleep(101, 1), 0);
    EXPECT_TRUE(Exchange(receiver, Frame({{1, 0x02}})).empty());
    EXPECT_TRUE(Exchange(receiver, battery).empty());

    Bytes notice(65, 0);
    ASSERT_EQ(hid_read_timeout(notices, notice.data(), notice.size(), 0), 65);
    EXPECT_EQ(HexOf(Bytes(notice.begin(), notice.begin() + 4)), "05a6fe02");

    ASSERT_EQ(zephyl_virtual_set_asleep(101, 0), 0);
    ASSERT_EQ(hid_read_timeout(notices, notice.data(), notice.size(), 0), 65);
    EXPECT_EQ(HexOf(Bytes(notice.begin(), notice.begin() + 4)), "05a6ff01");
    EXPECT_EQ(HexOf(Exchange(receiver, battery)).substr(0, 8), "200100c8");
}

}  // namespace
}  // namespace zephyl::test
