// SPDX-License-Identifier: GPL-2.0-or-later
// The music analyser as pure functions: synthetic audio through the spectrum, the colour
// schemes, the grid, the key mapping and the frames it makes for the keyboard.
#include "catalogue/KeyboardLayout.h"
#include "lighting/MusicFeature.h"
#include "lighting/Visualizer.h"
#include "lighting/VisualizerAnalysis.h"
#include "protocol/MusicReports.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <numbers>
#include <thread>
#include <vector>

namespace zephyl {
namespace {

constexpr int kRate = 48000;

std::vector<float> Tone(double frequency, double amplitude, int frames) {
    std::vector<float> samples;
    for (int i = 0; i < frames; ++i) {
        const auto value = static_cast<float>(
            amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / kRate));
        samples.push_back(value);
        samples.push_back(value);
    }
    return samples;
}

std::vector<float> Noise(int frames) {
    std::vector<float> samples;
    std::uint32_t state = 12345;
    for (int i = 0; i < 2 * frames; ++i) {
        state = state * 1664525U + 1013904223U;
        samples.push_back((state >> 31) != 0 ? 1.0F : -1.0F);
    }
    return samples;
}

/// A layout of `rows` × `columns` with one key in every cell, light index = its position.
KeyboardLayout GridLayout(int rows, int columns, bool perKeyColour = true) {
    KeyboardLayout layout;
    layout.matrixRows = rows;
    layout.matrixColumns = columns;
    layout.perKeyColour = perKeyColour;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            LayoutKey key;
            key.code = r * columns + c + 1;
            key.lightIndex = r * columns + c;
            key.row = r;
            key.column = c;
            layout.keys.push_back(key);
        }
    }
    return layout;
}

MusicFrame Render(const SpectrumAnalyser& analyser, int foreType, int backType) {
    MusicGrid fore{};
    MusicGrid back{};
    FillMusicScheme(fore, foreType, 100, 0.0F);
    FillMusicScheme(back, backType, 100, 0.0F);
    MusicFrame frame;
    RenderMusicGrid(analyser.Display(), fore, back, frame.colours, frame.lit);
    return frame;
}

TEST(MusicAnalysisTest, SilenceDecaysByAFifthPerFrameUntilNothingIsSent) {
    SpectrumAnalyser analyser;
    const AnalyserSettings settings;
    for (float& value : analyser.MutableSpectrum()) {
        value = 0.9F;
    }
    const MusicKeyMap map = BuildMusicKeyMap(GridLayout(6, 21));
    MusicKeyFrame keys;
    float expected = 0.9F;
    int framesSent = 0;
    for (int frame = 0; frame < 40; ++frame) {
        analyser.Analyse(settings);
        expected *= 0.8F;
        for (float value : analyser.Display()) {
            ASSERT_NEAR(value, expected, 1e-5F) << "frame " << frame;
        }
        ComputeMusicKeyFrame(map, Render(analyser, 7, kSchemeBlack), false, {}, keys);
        framesSent += keys.anyLit ? 1 : 0;
        if (frame > 0 && !keys.anyLit) {
            // Once dark, it stays dark.
            ComputeMusicKeyFrame(map, Render(analyser, 7, kSchemeBlack), false, {}, keys);
            EXPECT_FALSE(keys.anyLit);
        }
    }
    // The bottom row lights above 7/64: 0.9 · 0.8^n > 0.109 for n ≤ 9.
    EXPECT_EQ(framesSent, 9);
    EXPECT_FALSE(keys.anyLit);

    // A non-black back scheme keeps the unlit keys coloured, so frames go on.
    ComputeMusicKeyFrame(map, Render(analyser, 7, 10), false, {}, keys);
    EXPECT_TRUE(keys.anyLit);
}

TEST(MusicAnalysisTest, FullScaleNoiseSaturatesEveryColumnUpToLevelOne) {
    SpectrumAnalyser analyser;
    const AnalyserSettings settings;
    analyser.PushStereo(Noise(512), settings.gain);
    analyser.Analyse(settings);
    for (float value : analyser.Display()) {
        ASSERT_FLOAT_EQ(value, 1.0F);
    }
    const MusicFrame frame = Render(analyser, 7, kSchemeBlack);
    for (int column = 0; column < kMusicColumns; ++column) {
        EXPECT_EQ(frame.lit[MusicCell(0, column)], 0u) << "level 0 needs more than 1.0";
        for (int level = 1; level < kMusicLevels; ++level) {
            ASSERT_EQ(frame.colours[MusicCell(level, column)], 0x0000FDu) << level << "," << column;
        }
    }
}

TEST(MusicAnalysisTest, ATonePeaksAtItsColumnsAndLeavesTheFarOnesDark) {
    SpectrumAnalyser analyser;
    const AnalyserSettings settings;
    // 440 Hz at 48 kHz falls between bins 4 and 5 of 512, columns 16..23.
    const std::vector<float> tone = Tone(440.0, 0.0005, 4800);
    for (size_t at = 0; at < tone.size(); at += 960) {
        analyser.PushStereo(std::span<const float>(tone).subspan(at, 960), settings.gain);
        analyser.Analyse(settings);
    }
    const auto display = analyser.Display();
    const auto peak = std::max_element(display.begin(), display.end()) - display.begin();
    EXPECT_GE(peak, 12);
    EXPECT_LE(peak, 28);
    EXPECT_GT(display[20], 0.5F);
    // Far columns stay below the lowest level's threshold: no cell of them lights.
    for (int column = 96; column < kMusicColumns; ++column) {
        EXPECT_LT(display[column], 1.0F / 64) << column;
    }
}

struct SchemeCase {
    int type;
    int brightness;
    float phase;
    int level;
    int column;
    std::uint32_t colour;
};

TEST(MusicAnalysisTest, SchemesGiveTheirColoursAtFixedPhases) {
    const SchemeCase cases[] = {
        {0, 100, 0.0F, 10, 10, 0x000000},    // black
        {7, 100, 0.0F, 10, 10, 0x0000FD},    // red: 100 · 2.55 truncates to 254
        {8, 100, 0.0F, 0, 255, 0x003FFD},    // orange
        {6, 50, 0.0F, 63, 0, 0x7E7E7E},      // white at half brightness (k = 127)
        {12, 100, 0.0F, 5, 5, 0xFDFD00},     // cyan
        {1, 100, 0.0F, 63, 40, 0x00FD00},    // gradient bottom: green
        {1, 100, 0.0F, 1, 40, 0x0000FD},     // gradient top: red
        {1, 100, 0.0F, 0, 200, 0x00FDFD},    // level 0 right half: yellow
        {5, 100, 0.0F, 30, 30, 0x0000FE},    // one hue, phase 0: red
        {5, 100, 120.0F, 30, 30, 0x00FE00},  // one hue, phase 120: green
        {4, 100, 0.0F, 32, 255, 0xFEFE00},   // wheel: right of the centre is hue 180
        {18, 100, 0.0F, 7, 16, 0xFE0000},    // hue per column: column 16 is hue 240
        {17, 100, 0.0F, 9, 0, 0xEB0F7E},     // moving rainbow at column 0
        {20, 100, 0.0F, 9, 99, 0xE90E7F},    // cycling colour: the rainbow at 1 degree
    };
    for (const SchemeCase& c : cases) {
        MusicGrid table{};
        table.fill(0x123456);
        FillMusicScheme(table, c.type, c.brightness, c.phase);
        EXPECT_EQ(table[MusicCell(c.level, c.column)], c.colour)
            << "type " << c.type << " at " << c.level << "," << c.column;
    }
    MusicGrid untouched{};
    untouched.fill(0x123456);
    FillMusicScheme(untouched, kSchemeScreen, 100, 0.0F);
    EXPECT_EQ(untouched[MusicCell(3, 3)], 0x123456u) << "screen colours are drawn elsewhere";
}

TEST(MusicAnalysisTest, SixRowsSampleTheirLevelsAndColumnsSpreadOverTheGrid) {
    const int expectedLevels[] = {7, 17, 27, 37, 47, 57};
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(MusicKeyLevel(row, 6), expectedLevels[row]);
    }
    EXPECT_EQ(MusicKeyColumn(20, 21), 240);
    EXPECT_EQ(MusicKeyColumn(5, 21), 60);

    // A display of 0.3 everywhere lights the rows whose level threshold lies below it.
    SpectrumAnalyser analyser;
    for (float& value : analyser.MutableDisplay()) {
        value = 0.3F;
    }
    const MusicKeyMap map = BuildMusicKeyMap(GridLayout(6, 21));
    MusicKeyFrame keys;
    ComputeMusicKeyFrame(map, Render(analyser, 7, kSchemeBlack), false, {}, keys);
    for (const MusicKey& key : map.keys) {
        const bool lit = 0.3F > (64.0F - static_cast<float>(key.level)) / 64.0F;
        EXPECT_EQ(keys.colours[static_cast<size_t>(&key - map.keys.data())], lit ? 0x0000FDu : 0u);
    }
    // Levels 47 and 57 are lit: the bottom two rows, height 2 in every column.
    EXPECT_EQ(keys.heights, std::vector<int>(21, 2));
}

TEST(MusicAnalysisTest, ReceiverFrameCarriesTheFirst21HeightsOfA22ColumnLayout) {
    SpectrumAnalyser analyser;
    for (int column = 0; column < kMusicColumns; ++column) {
        analyser.MutableDisplay()[column] = 1.0F;
    }
    const MusicKeyMap map = BuildMusicKeyMap(GridLayout(6, 22));
    MusicKeyFrame keys;
    ComputeMusicKeyFrame(map, Render(analyser, 1, kSchemeBlack), false, {}, keys);
    ASSERT_EQ(keys.heights.size(), 22u);
    EXPECT_EQ(keys.heights, std::vector<int>(22, 6));

    keys.heights[20] = 3;
    ReceiverFrame frame = BuildMusicHeightsFrame(4, 10, 80, keys.heights);
    EXPECT_EQ(frame[1], 0x0B);
    EXPECT_EQ(frame[2], 0x1C);
    EXPECT_EQ(frame[3], 0x00);
    EXPECT_EQ(frame[4], 4);
    EXPECT_EQ(frame[5], 10);
    EXPECT_EQ(frame[6], 80);
    for (size_t c = 0; c < 20; ++c) {
        EXPECT_EQ(frame[7 + c], 6) << c;
    }
    EXPECT_EQ(frame[27], 3);
    EXPECT_EQ(frame[28], 0) << "column 22 is not sent";
    SealReceiverFrame(frame, kMusicFrameChecksumLength);
    unsigned sum = 0;
    for (size_t i = 0; i < 32; ++i) {
        sum += frame[i];
    }
    EXPECT_EQ(frame[32], sum & 0xFF);
}

TEST(MusicAnalysisTest, CableBlockHoldsEachKeysColourOrTheSingleColourMark) {
    MusicKeyMap map = BuildMusicKeyMap(GridLayout(2, 2));
    const std::vector<std::uint32_t> colours = {0x0000FE, 0, 0x102030, 1};
    StreamBuffer buffer;
    ASSERT_EQ(FillMusicStreamBuffer(map, colours, buffer), 512u);
    const std::uint8_t rgb[] = {0, 0xFE, 0, 0, 1, 0, 0, 0, 2, 0x30, 0x20, 0x10, 3, 1, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(rgb), std::end(rgb), buffer.begin()));

    map.perKeyColour = false;
    ASSERT_EQ(FillMusicStreamBuffer(map, colours, buffer), 192u);
    EXPECT_EQ(buffer[0], 0xFD);
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(buffer[2], 0xFD);
    EXPECT_EQ(buffer[3], 0xFD);
}

TEST(VisualizerTest, AReaderKeepsItsFrameWhileNewOnesAreRendered) {
    Visualizer visualizer;
    visualizer.ChangeSettings([](AnalyserSettings& settings) {
        settings.foreType = 7;
        settings.backType = kSchemeBlack;
    });
    EXPECT_FALSE(visualizer.ReadLatestFrame([](const MusicFrame&) { FAIL(); }))
        << "no frame before the first is rendered";
    visualizer.FeedSamples(Noise(512));
    visualizer.RenderFrame();
    const bool read = visualizer.ReadLatestFrame([&](const MusicFrame& loud) {
        EXPECT_EQ(loud.colours[MusicCell(10, 100)], 0x0000FDu);
        const MusicGrid copy = loud.colours;
        // Silence for a while, rendered by another thread: the frames go dark, but the frame
        // being read is left alone.
        std::thread([&visualizer] {
            for (int i = 0; i < 40; ++i) {
                visualizer.RenderFrame();
            }
        }).join();
        EXPECT_EQ(loud.colours, copy);
    });
    ASSERT_TRUE(read);
    visualizer.ReadLatestFrame(
        [](const MusicFrame& quiet) { EXPECT_EQ(quiet.colours[MusicCell(10, 100)], 0u); });
    EXPECT_EQ(visualizer.FrameCount(), 41u);
}

TEST(VisualizerTest, APauseDuringASettingsChangeHolds) {
    // The page is left (the analyser paused) while a layer's settings are being applied.
    Visualizer visualizer;
    visualizer.SetActive(true);
    visualizer.ChangeSettings([&visualizer](AnalyserSettings& settings) {
        settings.gain = 3;
        visualizer.SetActive(false);
    });
    EXPECT_FALSE(visualizer.Active());
    EXPECT_EQ(visualizer.Settings().gain, 3);
}

TEST(VisualizerTest, APausedAnalyserGivesBackItsFramesAndRendersAnewWhenActive) {
    Visualizer visualizer;
    visualizer.StartThread();
    const auto framed = [&visualizer] {
        return visualizer.ReadLatestFrame([](const MusicFrame&) {});
    };
    const auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 400 && !done(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::uint64_t before = visualizer.FrameCount();
        visualizer.SetActive(true);
        ASSERT_TRUE(waitFor([&] { return visualizer.FrameCount() > before && framed(); }));
        visualizer.SetActive(false);
        EXPECT_TRUE(waitFor([&] { return !framed(); })) << "frames kept while paused";
    }
}

}  // namespace
}  // namespace zephyl
