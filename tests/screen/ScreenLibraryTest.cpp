// SPDX-License-Identifier: GPL-2.0-or-later
// The animation library in the database and on disk, and the screen images built from it.
#include "GifTestSupport.h"
#include "screen/GifCodec.h"
#include "screen/Picture.h"
#include "screen/ScreenLibrary.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

test::TestGifFrame Solid(int width, int height, int index, int delayCs) {
    test::TestGifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.delayCs = delayCs;
    frame.indexes.assign(static_cast<std::size_t>(width * height), index);
    return frame;
}

class ScreenLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_paths.dataFolder = (m_environment.Root() / "data").string() + "/";
        m_paths.resourceFolder = (m_environment.Root() / "resources").string() + "/";
        m_paths.skinFolder = (m_environment.Root() / "skin").string() + "/";
        m_paths.device = "Test Model";
        fs::create_directories(m_paths.dataFolder + "db");
        ASSERT_TRUE(m_database.OpenModelDatabase(m_paths.dataFolder, "Test Model"));
    }

    void TearDown() override { m_database.CloseDatabase(); }

    std::string Gif(const std::string& path, const std::vector<test::TestGifFrame>& frames) {
        fs::create_directories(fs::path(path).parent_path());
        EXPECT_TRUE(test::WriteTestGif(path, 4, 4,
                                       {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, frames));
        return path;
    }

    std::vector<ScreenLayer> Layers() {
        std::vector<ScreenLayer> layers;
        m_database.ListScreenLayers(kScreenProfile, layers);
        return layers;
    }

    test::TempEnvironment m_environment;
    ScreenPaths m_paths;
    ProfileDatabase m_database;
};

TEST_F(ScreenLibraryTest, DefaultsWithAMissingMiddleFileAreImportedOnce) {
    Gif(m_paths.DefaultGif(0), {Solid(4, 4, 1, 10), Solid(4, 4, 2, 20)});
    Gif(m_paths.DefaultGif(2), {Solid(4, 4, 3, 0)});
    EXPECT_EQ(ImportDefaultAnimations(m_database, m_paths, 3), 2);
    const std::vector<ScreenLayer> layers = Layers();
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0].frame_size, 2);
    EXPECT_EQ(layers[0].first_file, "0.png");
    std::vector<ScreenFrame> frames;
    m_database.ListScreenFrames(layers[0].led_id, frames);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].file_name, "1.png");
    EXPECT_EQ(frames[1].delay_time, 200);
    m_database.ListScreenFrames(layers[1].led_id, frames);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].delay_time, 100);  // one frame, no delay given
    // Row i + 1 stays slot i: the missing default leaves its slot's row empty.
    std::vector<TftImage> slots;
    ASSERT_EQ(m_database.ListTftImages(kScreenProfile, slots), 3);
    EXPECT_EQ(slots[0].frame_size, 2);
    EXPECT_EQ(slots[1].frame_size, 0);
    EXPECT_EQ(slots[2].file_name, m_paths.SlotPicture(2));
    EXPECT_TRUE(fs::exists(m_paths.SlotPicture(2)));
    // Once any animation exists the defaults are not looked at again.
    EXPECT_EQ(ImportDefaultAnimations(m_database, m_paths, 3), 0);
    EXPECT_EQ(Layers().size(), 2u);
}

TEST_F(ScreenLibraryTest, LongGifDelaysAreStoredAsTheKeyboardPlaysThem) {
    // 1 s and 6 s frames would wrap round in the delay byte; 0 and 10 ms mean 100 ms.
    const std::string gif = (m_environment.Root() / "slow.gif").string();
    Gif(gif, {Solid(2, 2, 1, 100), Solid(2, 2, 2, 600), Solid(2, 2, 3, 25), Solid(2, 2, 1, 0),
              Solid(2, 2, 2, 1)});
    const int ledId = ImportGifAnimation(m_database, m_paths, gif);
    ASSERT_GT(ledId, 0);
    std::vector<ScreenFrame> frames;
    m_database.ListScreenFrames(ledId, frames);
    std::vector<int> delays;
    for (const ScreenFrame& frame : frames) {
        delays.push_back(frame.delay_time);
    }
    EXPECT_EQ(delays, (std::vector<int>{500, 500, 250, 100, 100}));
    const ScreenImage image =
        BuildAnimationImage(m_database, m_paths, ScreenGeometry{2, 2, 16, 8}, ledId, 4096);
    EXPECT_EQ(std::vector<int>(image.bytes.begin() + 1, image.bytes.begin() + 6),
              (std::vector<int>{250, 250, 125, 50, 50}));
    // Straight from the file as well.
    ScreenImage direct;
    ASSERT_TRUE(BuildFileImage(gif, ScreenGeometry{2, 2, 16, 8}, 4096, 100, direct));
    EXPECT_EQ(std::vector<int>(direct.bytes.begin() + 1, direct.bytes.begin() + 6),
              (std::vector<int>{250, 250, 125, 50, 50}));
    // Imported for a screen smaller than the GIF, its frames are kept at the screen's size.
    const int fitted =
        ImportGifAnimation(m_database, m_paths, gif, nullptr, ScreenGeometry{2, 3, 16, 8});
    ScreenLayer layer;
    ASSERT_TRUE(m_database.GetScreenLayer(fitted, layer));
    RgbaImage first;
    ASSERT_TRUE(
        DecodePictureFile(m_paths.AnimationFolder(layer.file_dir) + "0.png", first, nullptr));
    EXPECT_EQ(first.width, 2);
    EXPECT_EQ(first.height, 3);
}

TEST_F(ScreenLibraryTest, UnreadableFilesLeaveTheLibraryAsItWas) {
    const std::string notes = (m_environment.Root() / "notes.gif").string();
    std::ofstream(notes) << "GIF89a but nothing more";
    std::string error;
    EXPECT_EQ(ImportGifAnimation(m_database, m_paths, notes, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(Layers().empty());
    EXPECT_FALSE(fs::exists(m_paths.LibraryFolder()) && !fs::is_empty(m_paths.LibraryFolder()));

    const int ledId = CreateAnimation(m_database, m_paths);
    ScreenLayer layer;
    ASSERT_TRUE(m_database.GetScreenLayer(ledId, layer));
    EXPECT_TRUE(AddPictureFile(m_paths, layer, notes, &error).empty());
    EXPECT_TRUE(fs::is_empty(m_paths.AnimationFolder(layer.file_dir)));
}

TEST_F(ScreenLibraryTest, SaveWritesFramesInStripOrder) {
    const std::string gif =
        Gif((m_environment.Root() / "in.gif").string(), {Solid(4, 4, 1, 10), Solid(4, 4, 2, 10)});
    const int ledId = ImportGifAnimation(m_database, m_paths, gif);
    ASSERT_GT(ledId, 0);
    ScreenLayer layer;
    ASSERT_TRUE(m_database.GetScreenLayer(ledId, layer));
    const std::string added = AddPictureFile(m_paths, layer, gif);
    ASSERT_FALSE(added.empty());
    // An edited picture of frame 1 replaces its file on save.
    const std::string edit = (m_environment.Root() / "edit.png").string();
    RgbaImage blue(4, 4);
    for (std::size_t i = 0; i < blue.rgba.size(); i += 4) {
        blue.rgba[i + 2] = blue.rgba[i + 3] = 255;
    }
    ASSERT_TRUE(WritePng(edit, blue));
    ASSERT_TRUE(SaveAnimationFrames(m_database, m_paths, ledId,
                                    {{"1.png", 40, edit},
                                     {added, ClampScreenDelay(900), ""},
                                     {"0.png", ClampScreenDelay(10), ""}}));
    std::vector<ScreenFrame> frames;
    m_database.ListScreenFrames(ledId, frames);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].name, "1.png");
    EXPECT_EQ(frames[1].delay_time, 500);
    EXPECT_EQ(frames[2].delay_time, 30);
    ASSERT_TRUE(m_database.GetScreenLayer(ledId, layer));
    EXPECT_EQ(layer.frame_size, 3);
    EXPECT_EQ(layer.first_file, "1.png");

    const ScreenGeometry geometry{4, 4, 16, 2};
    std::string first;
    const ScreenImage image = BuildAnimationImage(
        m_database, m_paths, geometry, ledId, 28,
        [&first](const std::string& path, int n) { first = path + ":" + std::to_string(n); });
    EXPECT_EQ(image.frames, 2);
    EXPECT_EQ(image.bytes[0], 2);
    EXPECT_EQ(image.bytes[1], 20);
    EXPECT_EQ(image.bytes[2], 250);
    EXPECT_EQ(first, m_paths.AnimationFolder(layer.file_dir) + "1.png:2");
    // Frame 0 is the edited blue picture: 00 1F per pixel.
    EXPECT_EQ(image.bytes[16], 0x00);
    EXPECT_EQ(image.bytes[17], 0x1F);
}

TEST_F(ScreenLibraryTest, UploadsTakeTheFirstFramesUpToTheLimit) {
    const int ledId = CreateAnimation(m_database, m_paths);
    ScreenLayer layer;
    ASSERT_TRUE(m_database.GetScreenLayer(ledId, layer));
    std::vector<LibraryFrame> strip;
    for (int k = 0; k < 300; ++k) {
        RgbaImage frame(1, 1);
        frame.rgba = {static_cast<std::uint8_t>(k & 0xF8), 0, 0, 255};
        const std::string name = std::to_string(k) + ".png";
        ASSERT_TRUE(WritePng(m_paths.AnimationFolder(layer.file_dir) + name, frame));
        strip.push_back({name, 30 + k, ""});
    }
    ASSERT_TRUE(SaveAnimationFrames(m_database, m_paths, ledId, strip));
    const ScreenGeometry geometry{1, 1, 257, 256};
    const ScreenImage image = BuildAnimationImage(m_database, m_paths, geometry, ledId, 4096);
    EXPECT_EQ(image.frames, 256);
    for (int k : {0, 7, 255}) {
        EXPECT_EQ(image.bytes[1 + static_cast<std::size_t>(k)], ScreenDelayCode(30 + k)) << k;
        EXPECT_EQ(image.bytes[257 + 2 * static_cast<std::size_t>(k)], (k & 0xF8)) << k;
    }
}

TEST_F(ScreenLibraryTest, GifFileImageTakesItsFramesUpToTheLimit) {
    // Five 2 × 2 frames: frame k is colour k % 4 (black, red, green, blue) and shows 10·(k+1) ms.
    std::vector<test::TestGifFrame> frames;
    for (int k = 0; k < 5; ++k) {
        test::TestGifFrame frame;
        frame.width = frame.height = 2;
        frame.indexes.assign(4, k % 4);
        frame.delayCs = k + 1;
        frames.push_back(frame);
    }
    const std::string gif = (m_environment.Root() / "five.gif").string();
    ASSERT_TRUE(
        test::WriteTestGif(gif, 2, 2, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, frames));
    const std::uint16_t colours[] = {0x0000, 0xF800, 0x07E0, 0x001F};
    struct Case {
        ScreenGeometry geometry;
        int frames;
    };
    // At the GIF's own size and limited to 3 frames; enlarged to 4 × 4 with every frame.
    for (const Case& c : {Case{{2, 2, 8, 3}, 3}, Case{{4, 4, 8, 10}, 5}}) {
        ScreenImage image;
        ASSERT_TRUE(BuildFileImage(gif, c.geometry, 4096, 100, image));
        ASSERT_EQ(image.frames, c.frames) << c.geometry.width;
        EXPECT_EQ(image.bytes[0], c.frames);
        for (int k = 0; k < c.frames; ++k) {
            // Delays under 20 ms are too short to be meant and show 100 ms (code 50).
            EXPECT_EQ(image.bytes[1 + static_cast<std::size_t>(k)], k == 0 ? 50 : 5 * (k + 1));
            const std::span<std::uint8_t> pixels = image.Frame(c.geometry, k);
            for (std::size_t i = 0; i < pixels.size(); i += 2) {
                ASSERT_EQ(pixels[i] << 8 | pixels[i + 1], colours[k % 4]) << k << " " << i;
            }
        }
        // Nothing past the last frame: the fill stays.
        const std::size_t end = 8 + static_cast<std::size_t>(c.frames) * c.geometry.FrameBytes();
        EXPECT_EQ(image.bytes[end], 0xFF);
    }
}

}  // namespace
}  // namespace zephyl
