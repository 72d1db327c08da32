// SPDX-License-Identifier: GPL-2.0-or-later
// Picture files that declare more than the screen can use are refused from their headers, before
// anything of the declared size is made; files that are not regular files are refused without
// waiting on them.
#include "GifTestSupport.h"
#include "screen/GifCodec.h"
#include "screen/Picture.h"
#include "screen/ScreenLibrary.h"
#include "screen/ScreenText.h"
#include "support/MalformedFiles.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zephyl {
namespace {

using test::Bytes;

class PictureBudgetTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = (m_environment.Root() / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    test::TempEnvironment m_environment;
};

bool OverBudget(const std::string& error) {
    return error.rfind(kPictureOverBudget, 0) == 0;
}

TEST_F(PictureBudgetTest, DeclaredSizesOverTheBudgetAreRefusedWithTheBudgetNamed) {
    const struct {
        const char* name;
        Bytes bytes;
        const char* budget;    ///< what the refusal must name
        bool stillToo = true;  ///< refused too as a still picture, which is only the first frame
    } cases[] = {
        {"gif of 16384 x 16384", test::DeclaringGif(16384, 16384), "4 megapixels"},
        {"gif of 16384 x 16384, 30 frames", test::DeclaringGif(16384, 16384, 30), "4 megapixels"},
        {"gif of 4000 x 4000, 300 frames", test::DeclaringGif(4000, 4000, 300), "4 megapixels"},
        {"gif of 1024 x 1024, 40 frames", test::DeclaringGif(1024, 1024, 40), "64 megapixels",
         false},
        {"gif frame of 65535 x 65535 on 16 x 16", test::DeclaringGif(16, 16, 1, 65535, 65535),
         "64 megapixels"},
        {"gif of 1025 frames", test::DeclaringGif(8, 8, 1025), "1024 frames"},
        {"png of 16384 x 16384", test::DeclaringPng(16384, 16384), "16 megapixels"},
        {"png of 65535 x 65535", test::DeclaringPng(65535, 65535), "16 megapixels"},
        {"progressive jpeg of 16384 x 16384", test::DeclaringJpeg(16384, 16384), "16 megapixels"},
        {"baseline jpeg of 65000 x 65000", test::DeclaringJpeg(65000, 65000, false),
         "16 megapixels"},
        {"bmp of 30000 x 30000", test::DeclaringBmp(30000, 30000), "16 megapixels"},
        // Within the pixels, but a progressive JPEG keeps every coefficient of its three
        // components: 96 MB.
        {"progressive jpeg of 4096 x 4096 in colour", test::DeclaringJpeg(4096, 4096, true, 1, 3),
         "64 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(InspectPicture(c.bytes, &error));
        EXPECT_TRUE(OverBudget(error)) << error;
        EXPECT_NE(error.find(c.budget), std::string::npos) << error;
        RgbaImage image;
        error.clear();
        EXPECT_EQ(DecodePicture(c.bytes, image, &error), !c.stillToo);
        EXPECT_EQ(OverBudget(error), c.stillToo) << error;
        // An upload of every frame refuses it as well, with nothing built.
        ScreenGeometry geometry;
        geometry.maxFrames = 2000;
        ScreenImage built;
        error.clear();
        EXPECT_FALSE(BuildFileImage(Write("picture", c.bytes), geometry, 4096, 100, built, &error));
        EXPECT_TRUE(OverBudget(error)) << error;
        EXPECT_TRUE(built.bytes.empty());
        // The window's message says what the budget is.
        const std::string message = ScreenPictureMessage("file.gif", error);
        EXPECT_NE(message.find("file.gif"), std::string::npos) << message;
        EXPECT_NE(message.find("16 megapixels"), std::string::npos) << message;
        EXPECT_NE(message.find("1024 frames"), std::string::npos) << message;
    }
}

TEST_F(PictureBudgetTest, GifsWithinTheBudgetDecodeAndUploadsCountOnlyWhatTheySend) {
    // The largest canvas there may be, and the most frames.
    const auto white = [](int width, int height, int frames) {
        test::TestGifFrame frame;
        frame.width = width;
        frame.height = height;
        frame.indexes.assign(static_cast<std::size_t>(width * height), 1);
        return std::vector<test::TestGifFrame>(static_cast<std::size_t>(frames), frame);
    };
    const std::string large = (m_environment.Root() / "large.gif").string();
    const std::string long_ = (m_environment.Root() / "long.gif").string();
    ASSERT_TRUE(
        test::WriteTestGif(large, 2048, 2048, {{0, 0, 0}, {255, 255, 255}}, white(2048, 2048, 1)));
    ASSERT_TRUE(
        test::WriteTestGif(long_, 8, 8, {{0, 0, 0}, {255, 255, 255}}, white(8, 8, kMostGifFrames)));
    for (const auto& [path, frames] : {std::pair{large, 1}, std::pair{long_, kMostGifFrames}}) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(ReadFileBytes(path, bytes));
        int drawn = 0;
        GifFrameSink sink;
        sink.frame = [&drawn](int, const RgbaImage& canvas) {
            // The one white pixel each frame holds.
            EXPECT_EQ(canvas.Pixel(0, 0)[0], 255);
            ++drawn;
            return true;
        };
        std::string error;
        EXPECT_TRUE(DecodeGifFrames(bytes, sink, &error)) << error;
        EXPECT_EQ(drawn, frames);
    }
    // 40 frames of 1024 x 1024 are more than all frames together may have, 8 of them are not:
    // an upload of 8 frames takes the file.
    const Bytes many = test::DeclaringGif(1024, 1024, 40);
    std::string error;
    EXPECT_FALSE(InspectPicture(many, &error));
    EXPECT_TRUE(InspectPicture(many, &error, 8)) << error;
    ScreenGeometry geometry;
    geometry.maxFrames = 8;
    ScreenImage image;
    ASSERT_TRUE(BuildFileImage(Write("many.gif", many), geometry, 4096, 100, image, &error))
        << error;
    EXPECT_EQ(image.frames, 8);
}

TEST_F(PictureBudgetTest, OnlyRegularFilesOfPictureSizeAreRead) {
    const std::string folder = (m_environment.Root() / "folder.gif").string();
    std::filesystem::create_directory(folder);
    const test::TestFifo fifo((m_environment.Root() / "fifo.gif").string());
    // Sparse: takes no room, but is larger than a picture file may be.
    const std::string large = (m_environment.Root() / "large.png").string();
    std::ofstream(large).close();
    std::filesystem::resize_file(large, kMostPictureFileBytes + 1);
    const struct {
        std::string path;
        const char* error;
    } cases[] = {
        {folder, kPictureNotRegularFile},
        {fifo.Path(), kPictureNotRegularFile},
        {"/dev/zero", kPictureNotRegularFile},
        {large, kPictureOverBudget},
        {(m_environment.Root() / "missing.png").string(), "cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<std::uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(ReadFileBytes(c.path, bytes, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_TRUE(bytes.empty());
        ScreenImage image;
        error.clear();
        EXPECT_FALSE(BuildFileImage(c.path, ScreenGeometry{}, 4096, 100, image, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
    EXPECT_NE(ScreenPictureMessage(folder, kPictureNotRegularFile).find("not a regular file"),
              std::string::npos);
}

TEST_F(PictureBudgetTest, ProgressiveJpegWithEndlessScansIsRefused) {
    RgbaImage image;
    std::string error;
    // A few scans are an ordinary progressive JPEG.
    ASSERT_TRUE(DecodePicture(test::DeclaringJpeg(64, 48, true, 4), image, &error)) << error;
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 48);
    // Each scan is another pass over the whole picture: a few bytes each, they add up.
    EXPECT_FALSE(DecodePicture(test::DeclaringJpeg(64, 48, true, 400), image, &error));
    EXPECT_NE(error.find("scans"), std::string::npos) << error;
}

TEST_F(PictureBudgetTest, FittedDecodeGivesTheScreenSize) {
    for (const Bytes& bytes : {test::DeclaringJpeg(4096, 2048, false), test::DeclaringJpeg(100, 50),
                               test::DeclaringGif(1000, 500, 3)}) {
        RgbaImage image;
        std::string error;
        ASSERT_TRUE(DecodeFittedPicture(bytes, 128, 96, image, &error)) << error;
        EXPECT_EQ(image.width, 128);
        EXPECT_EQ(image.height, 96);
    }
}

}  // namespace
}  // namespace zephyl
