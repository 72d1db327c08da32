// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/MacroImage.h"

#include "HexText.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

using test::Hex;

TEST(MacroImageTest, TwoMacrosAsTheKeyboardTakesThem) {
    // Key A (usage 0x04) down with no pause, up after 25 ms; a second macro without steps.
    const std::vector<MacroImageSteps> macros = {
        {{MacroAction::kKeyDown, 0x04, 0}, {MacroAction::kKeyUp, 0x04, 25}}, {}};
    const std::vector<uint8_t> body = EncodeMacroImageBody(macros);
    ASSERT_EQ(body.size(), 424u);
    EXPECT_EQ(Hex(body, 0, 8), "90 01 00 00 FF FF FF FF");
    EXPECT_EQ(Hex(body, 400, 24),
              "04 00 00 00 00 00 00 00 00 00 04 B0 0A 00 00 50 00 00 04 30 19 00 00 50");

    const std::vector<uint8_t> cable = CableMacroImage(body);
    ASSERT_EQ(cable.size(), 512u);
    EXPECT_EQ(Hex(cable, 510, 2), "AA 55");
    const std::vector<uint8_t> receiver = ReceiverMacroImage(body);
    const std::vector<ReceiverFrame> frames = BuildMacroFrames(receiver, body.size());
    ASSERT_EQ(frames.size(), 17u);
    EXPECT_EQ(Hex(frames[0], 0, 8), "00 09 1C 00 90 01 00 00");
    EXPECT_EQ(Hex(frames[16], 0, 4), "00 09 04 10");  // 424 mod 28 bytes end the body
}

TEST(MacroImageTest, ActionAndPauseEntries) {
    const struct {
        MacroImageStep step;
        const char* entries;
    } cases[] = {
        {{MacroAction::kButtonDown, kMacroButtonLeft, 5}, "00 00 01 90 0A 00 00 50"},
        {{MacroAction::kButtonUp, kMacroButtonMiddle, 10}, "00 00 04 10 0A 00 00 50"},
        {{MacroAction::kKeyUp, 0x58, 300}, "00 00 58 30 2C 01 00 50"},
        {{MacroAction::kNone, 0x33, 31000}, "18 79 00 50"},
        {{MacroAction::kNone, 0, 70000}, "FF FF 00 50"},  // cut to 16 bits, not wrapped
    };
    for (const auto& c : cases) {
        const std::vector<MacroImageSteps> macros = {{c.step}};
        const std::vector<uint8_t> body = EncodeMacroImageBody(macros);
        const std::string entries = c.entries;
        const size_t count = (entries.size() + 1) / 3;
        ASSERT_EQ(body.size(), 408 + count) << entries;
        EXPECT_EQ(Hex(body, 408, count), entries);
    }
}

TEST(MacroImageTest, EmptyListAndPaddingBoundaries) {
    const std::vector<uint8_t> empty = EncodeMacroImageBody({});
    EXPECT_EQ(empty, std::vector<uint8_t>(400, 0));
    EXPECT_EQ(CableMacroImage(empty).size(), 8u * 64);
    EXPECT_EQ(ReceiverMacroImage(empty).size(), 16u * 28);  // 400 = 14 chunks and a part
    // A body that ends on a chunk boundary still gets a whole trailer chunk.
    const std::vector<uint8_t> whole(28 * 15, 1);
    const std::vector<uint8_t> image = ReceiverMacroImage(whole);
    EXPECT_EQ(image.size(), 28u * 16);
    EXPECT_EQ(BuildMacroFrames(image, whole.size()).back()[2], 0);
}

}  // namespace
}  // namespace zephyl
