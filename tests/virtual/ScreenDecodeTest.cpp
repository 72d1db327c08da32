// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual keyboard reads a screen image as the screen does: frame count, delay codes, and
// each frame's pixels from the end of the header on.
#include "virtual/ScreenUpload.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl::virtualhid {
namespace {

/// An image of 2 × 2 pixels a frame behind an 8-byte header, frame k filled with k + 1.
std::vector<std::uint8_t> Image(int frames, std::size_t unit) {
    std::vector<std::uint8_t> image(8, 0xFF);
    image[0] = static_cast<std::uint8_t>(frames);
    for (int k = 0; k < frames; ++k) {
        image[1 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(10 * (k + 1));
        image.insert(image.end(), 8, static_cast<std::uint8_t>(k + 1));
    }
    image.resize((image.size() + unit - 1) / unit * unit, 0xFF);
    return image;
}

ScreenSlot Receive(const std::vector<std::uint8_t>& image, std::size_t unit, long long units) {
    ScreenUpload upload;
    upload.Start(4, units, static_cast<int>(unit), "receiver");
    upload.SetGeometry(2, 2, 8);
    for (long long i = 0; i < units; ++i) {
        upload.Add(image.data() + static_cast<std::size_t>(i) * unit, unit);
    }
    ScreenSlot slot;
    upload.CommitTo(slot);
    return slot;
}

TEST(ScreenDecode, FramesDelaysAndPixels) {
    const std::vector<std::uint8_t> image = Image(3, 28);
    const ScreenSlot slot = Receive(image, 28, static_cast<long long>(image.size() / 28));
    EXPECT_EQ(slot.frames, 3);
    EXPECT_EQ(slot.delays, (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(slot.width, 2);
    EXPECT_EQ(slot.firstFrame, std::vector<std::uint8_t>(8, 1));
    ASSERT_EQ(slot.frameHashes.size(), 3u);
    EXPECT_NE(slot.frameHashes[1], slot.frameHashes[2]);
    EXPECT_EQ(slot.uploadIndex, 4);
}

TEST(ScreenDecode, AnImageShorterThanItsCountKeepsTheFramesThatArrived) {
    std::vector<std::uint8_t> image = Image(2, 4);
    image[0] = 5;  // says five frames, carries two
    const ScreenSlot slot = Receive(image, 4, static_cast<long long>(image.size() / 4));
    EXPECT_EQ(slot.frames, 5);
    EXPECT_EQ(slot.frameHashes.size(), 2u);
}

TEST(ScreenDecode, CountByteZeroIsTwoHundredFiftySixFrames) {
    std::vector<std::uint8_t> image(8, 0xFF);
    image[0] = 0;
    for (int k = 0; k < 256; ++k) {
        image.insert(image.end(), 8, static_cast<std::uint8_t>(k));
    }
    const ScreenSlot slot = Receive(image, 4, static_cast<long long>(image.size() / 4));
    EXPECT_EQ(slot.frames, 256);
    EXPECT_EQ(slot.frameHashes.size(), 256u);
    EXPECT_EQ(slot.firstFrame, std::vector<std::uint8_t>(8, 0));
}

}  // namespace
}  // namespace zephyl::virtualhid
