// SPDX-License-Identifier: GPL-2.0-or-later
// GIF frames as a browser shows them, pictures of every kind whatever their name, fitting to the
// screen, RGB565, and GIF writing.
#include "GifTestSupport.h"
#include "screen/GifCodec.h"
#include "screen/Picture.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace zephyl {
namespace {

constexpr GifColorType kBlack{0, 0, 0};
constexpr GifColorType kRed{255, 0, 0};
constexpr GifColorType kGreen{0, 255, 0};
constexpr GifColorType kBlue{0, 0, 255};

/// "rrggbbaa" of one pixel.
std::string At(const RgbaImage& image, int x, int y) {
    const std::uint8_t* p = image.Pixel(x, y);
    char text[9];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", p[0], p[1], p[2], p[3]);
    return text;
}

test::TestGifFrame Fill(int left, int top, int width, int height, int index) {
    test::TestGifFrame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.indexes.assign(static_cast<std::size_t>(width * height), index);
    return frame;
}

class PictureTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) { return (m_environment.Root() / name).string(); }

    GifAnimation Decode(const std::vector<test::TestGifFrame>& frames, int width = 4,
                        int height = 4) {
        const std::string path = Path("test.gif");
        EXPECT_TRUE(test::WriteTestGif(path, width, height, {kBlack, kRed, kGreen, kBlue}, frames));
        GifAnimation animation;
        std::string error;
        EXPECT_TRUE(DecodeGifFile(path, animation, &error)) << error;
        return animation;
    }

    test::TempEnvironment m_environment;
};

TEST_F(PictureTest, DisposalToBackgroundClearsOnlyTheFrameRect) {
    test::TestGifFrame base = Fill(0, 0, 4, 4, 1);
    test::TestGifFrame patch = Fill(1, 1, 2, 2, 2);
    patch.disposal = DISPOSE_BACKGROUND;
    test::TestGifFrame dot = Fill(0, 0, 1, 1, 3);
    const GifAnimation animation = Decode({base, patch, dot});
    ASSERT_EQ(animation.frames.size(), 3u);
    EXPECT_EQ(At(animation.frames[1], 1, 1), "00ff00ff");
    EXPECT_EQ(At(animation.frames[1], 0, 0), "ff0000ff");
    // After frame 1 its rectangle is cleared to transparent, the rest stays.
    EXPECT_EQ(At(animation.frames[2], 1, 1), "00000000");
    EXPECT_EQ(At(animation.frames[2], 3, 3), "ff0000ff");
    EXPECT_EQ(At(animation.frames[2], 0, 0), "0000ffff");
}

TEST_F(PictureTest, DisposalToPreviousRestoresTheCanvas) {
    test::TestGifFrame base = Fill(0, 0, 4, 4, 1);
    test::TestGifFrame patch = Fill(0, 0, 2, 2, 3);
    patch.disposal = DISPOSE_PREVIOUS;
    test::TestGifFrame corner = Fill(3, 3, 1, 1, 2);
    const GifAnimation animation = Decode({base, patch, corner});
    EXPECT_EQ(At(animation.frames[1], 0, 0), "0000ffff");
    EXPECT_EQ(At(animation.frames[2], 0, 0), "ff0000ff");
    EXPECT_EQ(At(animation.frames[2], 3, 3), "00ff00ff");
}

TEST_F(PictureTest, TransparentPixelsShowWhatWasBelow) {
    test::TestGifFrame base = Fill(0, 0, 4, 4, 1);
    test::TestGifFrame holes = Fill(0, 0, 4, 4, 3);
    holes.transparent = 0;
    holes.indexes[5] = 0;  // (1, 1) lets the red through
    const GifAnimation animation = Decode({base, holes});
    EXPECT_EQ(At(animation.frames[1], 1, 1), "ff0000ff");
    EXPECT_EQ(At(animation.frames[1], 2, 1), "0000ffff");
    // A first frame with a transparent pixel leaves that pixel transparent.
    test::TestGifFrame first = Fill(0, 0, 4, 4, 2);
    first.transparent = 2;
    first.indexes[0] = 1;
    const GifAnimation alone = Decode({first});
    EXPECT_EQ(At(alone.frames[0], 1, 0), "00000000");
    EXPECT_EQ(At(alone.frames[0], 0, 0), "ff0000ff");
}

TEST_F(PictureTest, LocalPaletteAndInterlace) {
    test::TestGifFrame local = Fill(0, 0, 4, 4, 1);
    local.localPalette = {kBlack, GifColorType{10, 20, 30}};
    test::TestGifFrame striped;
    striped.width = 2;
    striped.height = 11;
    striped.interlaced = true;
    for (int y = 0; y < 11; ++y) {
        striped.indexes.push_back(y % 4);
        striped.indexes.push_back(y % 4);
    }
    const GifAnimation animation = Decode({local, striped}, 2, 11);
    ASSERT_EQ(animation.frames.size(), 2u);
    EXPECT_EQ(At(animation.frames[0], 1, 1), "0a141eff");
    const char* expected[] = {"000000ff", "ff0000ff", "00ff00ff", "0000ffff"};
    for (int y = 0; y < 11; ++y) {
        EXPECT_EQ(At(animation.frames[1], 0, y), expected[y % 4]) << "row " << y;
    }
}

TEST_F(PictureTest, DelaysAsBrowsersTakeThem) {
    test::TestGifFrame slow = Fill(0, 0, 4, 4, 1);
    slow.delayCs = 25;
    test::TestGifFrame zero = Fill(0, 0, 4, 4, 2);
    zero.delayCs = 0;
    test::TestGifFrame bare = Fill(0, 0, 4, 4, 3);
    bare.control = false;
    EXPECT_EQ(Decode({slow, zero, bare}).delaysMs, (std::vector<int>{250, 100, 100}));
    // A one-frame GIF without any delay shows for 100 ms.
    EXPECT_EQ(Decode({bare}).delaysMs, (std::vector<int>{100}));
}

TEST_F(PictureTest, SplitsGifIntoNumberedPngs) {
    const std::string gif = Path("two.gif");
    ASSERT_TRUE(test::WriteTestGif(gif, 4, 4, {kBlack, kRed, kGreen},
                                   {Fill(0, 0, 4, 4, 1), Fill(0, 0, 4, 4, 2)}));
    std::vector<int> delays;
    const std::string folder = Path("");
    EXPECT_EQ(LoadGIFImageFile(gif, folder, delays), 2);
    RgbaImage second;
    ASSERT_TRUE(DecodePictureFile(folder + "/1.png", second, nullptr));
    EXPECT_EQ(At(second, 2, 2), "00ff00ff");
}

TEST_F(PictureTest, ReadsByContentNotByName) {
    // The same red/blue picture as PNG, BMP and JPEG, each under a misleading name.
    RgbaImage picture(2, 1);
    picture.rgba = {255, 0, 0, 255, 0, 0, 255, 255};
    ASSERT_TRUE(WritePng(Path("picture.jpg"), picture));
    std::vector<std::uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                     0,   0,   0, 2, 0, 0, 0, 1, 0, 0, 0,  1, 0, 24, 0};
    bmp.resize(54, 0);
    for (const std::uint8_t b : {0, 0, 255, 255, 0, 0, 0, 0}) {  // BGR red, BGR blue, row padding
        bmp.push_back(b);
    }
    std::ofstream(Path("picture.png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    for (const char* name : {"picture.jpg", "picture.png"}) {
        std::vector<std::uint8_t> rgb565(4);
        std::string error;
        ASSERT_TRUE(GetImageRGB565Data(Path(name), rgb565, 2, 1, &error)) << name << ": " << error;
        // Row by row from the top-left, each pixel high byte first.
        EXPECT_EQ(rgb565, (std::vector<std::uint8_t>{0xF8, 0x00, 0x00, 0x1F})) << name;
    }
    std::ofstream(Path("notes.png")) << "not a picture";
    std::vector<std::uint8_t> untouched(4, 0xFF);
    std::string error;
    EXPECT_FALSE(GetImageRGB565Data(Path("notes.png"), untouched, 2, 1, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(4, 0xFF));
}

TEST_F(PictureTest, FitsWholeWithBlackBars) {
    RgbaImage wide(4, 2);
    for (std::size_t i = 0; i < wide.rgba.size(); i += 4) {
        wide.rgba[i + 1] = 255;
        wide.rgba[i + 3] = 255;
    }
    const RgbaImage fitted = FitPicture(wide, 4, 4);
    EXPECT_EQ(At(fitted, 0, 0), "000000ff");
    EXPECT_EQ(At(fitted, 3, 1), "00ff00ff");
    EXPECT_EQ(At(fitted, 0, 2), "00ff00ff");
    EXPECT_EQ(At(fitted, 2, 3), "000000ff");
    // Shrinking averages: a 2 × 2 checker of white and black becomes mid grey.
    RgbaImage checker(2, 2);
    checker.rgba = {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255};
    EXPECT_EQ(At(FitPicture(checker, 1, 1), 0, 0), "808080ff");
}

TEST_F(PictureTest, WrittenGifKeepsFramesAndDelays) {
    // A smooth photo-like gradient: after 256-colour quantising every pixel stays close.
    std::vector<RgbaImage> frames;
    for (int f = 0; f < 2; ++f) {
        RgbaImage frame(64, 48);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                std::uint8_t* p = frame.Pixel(x, y);
                p[0] = static_cast<std::uint8_t>(x * 4);
                p[1] = static_cast<std::uint8_t>(y * 5);
                p[2] = static_cast<std::uint8_t>(f ? 255 - x * 2 : x * 2);
                p[3] = 255;
            }
        }
        frames.push_back(frame);
    }
    const std::string path = Path("out.gif");
    const std::vector<int> delays = {120, 40};
    std::string error;
    ASSERT_TRUE(EncodeGifFile(path, frames, delays, 64, 48, &error)) << error;
    GifAnimation back;
    ASSERT_TRUE(DecodeGifFile(path, back, &error)) << error;
    ASSERT_EQ(back.frames.size(), 2u);
    EXPECT_EQ(back.width, 64);
    EXPECT_EQ(back.delaysMs, delays);
    for (std::size_t f = 0; f < 2; ++f) {
        long long worst = 0;
        long long total = 0;
        for (std::size_t i = 0; i < frames[f].rgba.size(); ++i) {
            const long long error = std::abs(frames[f].rgba[i] - back.frames[f].rgba[i]);
            worst = std::max(worst, error);
            total += error;
        }
        // Median cut leaves some error at the edges of its boxes, little on average.
        EXPECT_LE(static_cast<double>(total) / static_cast<double>(frames[f].rgba.size()), 6.0)
            << "frame " << f;
        EXPECT_LE(worst, 40) << "frame " << f;
    }
}

}  // namespace
}  // namespace zephyl
