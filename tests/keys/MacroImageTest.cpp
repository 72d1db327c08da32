// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroImage.h"
#include "keys/MacroStepRow.h"

#include "KeysTestSupport.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

using test::Hex;

MacroStep Step(int type, int value, int delay) {
    MacroStep step;
    step.type = type;
    step.value = value;
    step.delay_time = delay;
    return step;
}

/// Two macros: the first presses and releases A, the second has no steps.
std::vector<MacroImageInput> TwoMacros() {
    return {MacroImageInput{{Step(kStepKeyDown, 'A', 0), Step(kStepKeyUp, 'A', 25)}},
            MacroImageInput{}};
}

TEST(MacroImageTest, TwoMacroImage) {
    const std::vector<uint8_t> body = BuildMacroImageBody(TwoMacros());
    ASSERT_EQ(body.size(), 424u);
    EXPECT_EQ(Hex(body, 0, 8), "90 01 00 00 FF FF FF FF");
    EXPECT_EQ(Hex(body, 8, 392), Hex(std::vector<uint8_t>(392, 0)));
    EXPECT_EQ(Hex(body, 400, 24),
              "04 00 00 00 00 00 00 00 00 00 04 B0 0A 00 00 50 00 00 04 30 19 00 00 50");

    const std::vector<uint8_t> cable = CableMacroImage(body);
    ASSERT_EQ(cable.size(), 512u);  // 8 packets
    EXPECT_EQ(Hex(cable, 0, 424), Hex(body));
    EXPECT_EQ(Hex(cable, 424, 86), Hex(std::vector<uint8_t>(86, 0)));
    EXPECT_EQ(Hex(cable, 510, 2), "AA 55");

    const std::vector<uint8_t> receiver = ReceiverMacroImage(body);
    ASSERT_EQ(receiver.size(), 476u);  // 17 chunks
    EXPECT_EQ(Hex(receiver, 474, 2), "AA 55");
    const std::vector<ReceiverFrame> frames = BuildMacroFrames(receiver, body.size());
    ASSERT_EQ(frames.size(), 17u);
    for (size_t k = 0; k < frames.size(); ++k) {
        EXPECT_EQ(frames[k][1], 0x09);
        EXPECT_EQ(frames[k][2], k == 16 ? 4 : 28) << k;
        EXPECT_EQ(frames[k][3], k);
        EXPECT_EQ(Hex(frames[k], 4, 28), Hex(receiver, 28 * k, 28)) << k;
    }
}

TEST(MacroImageTest, StepEntries) {
    const struct {
        MacroStep step;
        const char* entries;
    } cases[] = {
        {Step(kStepKeyDown, 97, 10), "00 00 59 B0 0A 00 00 50"},
        {Step(kStepKeyUp, 108, 300), "00 00 58 30 2C 01 00 50"},
        {Step(kStepButtonDown, kMouseLeft, 5), "00 00 01 90 0A 00 00 50"},
        {Step(kStepButtonUp, kMouseMiddle, 10), "00 00 04 10 0A 00 00 50"},
        {Step(kStepButtonDown, kMouseRight, 10), "00 00 02 90 0A 00 00 50"},
        // Only a pause for a repeated press, an unknown type or an unknown button.
        {Step(kStepRepeat, 'A', 31000), "18 79 00 50"},
        {Step(9, 'A', 10), "0A 00 00 50"},
        {Step(kStepButtonDown, 4, 10), "0A 00 00 50"},
        // Pauses beyond 16 bits are cut to the longest the keyboard waits, not wrapped.
        {Step(kStepRepeat, 0, 70000), "FF FF 00 50"},
        {Step(kStepRepeat, 0, -5), "0A 00 00 50"},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> body = BuildMacroImageBody({{MacroImageInput{{c.step}}}});
        const std::string entries = c.entries;
        const size_t count = (entries.size() + 1) / 3;
        ASSERT_EQ(body.size(), 408 + count) << entries;
        EXPECT_EQ(Hex(body, 400, 2), count == 8 ? "02 00" : "01 00") << entries;
        EXPECT_EQ(Hex(body, 408, count), entries);
    }
}

TEST(MacroImageTest, BlocksFollowEachOtherAndTheTableStopsAtOneHundred) {
    std::vector<MacroImageInput> macros(102, MacroImageInput{{Step(kStepRepeat, 0, 10)}});
    macros[1].steps.clear();
    const std::vector<uint8_t> body = BuildMacroImageBody(macros);
    // 99 blocks of 12 bytes: the 101st and 102nd macros have no place in the table.
    ASSERT_EQ(body.size(), 400u + 99 * 12);
    EXPECT_EQ(Hex(body, 0, 4), "90 01 00 00");
    EXPECT_EQ(Hex(body, 4, 4), "FF FF FF FF");
    EXPECT_EQ(Hex(body, 8, 4), "9C 01 00 00");
    EXPECT_EQ(Hex(body, 396, 4), "28 06 00 00");  // 400 + 98 × 12
}

TEST(MacroImageTest, UploadLimits) {
    EXPECT_TRUE(FitsCableUpload(336, 1));     // 8 × 337 = 2696
    EXPECT_FALSE(FitsCableUpload(337, 1));    // 2704
    EXPECT_TRUE(FitsReceiverUpload(449, 1));  // 3600
    EXPECT_FALSE(FitsReceiverUpload(450, 1));
}

}  // namespace
}  // namespace zephyl
