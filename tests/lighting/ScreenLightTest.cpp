// SPDX-License-Identifier: GPL-2.0-or-later
// Screen-synced lighting: the read rules of the 18 × 6 cells, and the X11 capture of a screen
// the test paints itself on an Xvfb server of its own.
#include "lighting/ScreenLight.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool) would break GoogleTest's headers.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace zephyl {
namespace {

using namespace std::chrono_literals;

ScreenCells NumberedCells() {
    ScreenCells cells{};
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i] = static_cast<std::uint32_t>(i + 1);
    }
    return cells;
}

std::uint32_t Cell(int column, int row) {
    return static_cast<std::uint32_t>(row * kScreenCellColumns + column + 1);
}

TEST(ScreenLightTest, KeysBeyondTheCellsTakeTheLastCellRead) {
    ScreenGrid grid{};
    ApplyScreenCells(NumberedCells(), 21, 6, grid);
    for (int c = 0; c < 21; ++c) {
        for (int r = 0; r < 6; ++r) {
            const std::uint32_t expected = c < 18 ? Cell(c, r) : Cell(17, 5);
            EXPECT_EQ(grid[static_cast<size_t>(c * kScreenGridRows + r)], expected)
                << c << "," << r;
        }
    }
    ScreenGrid sevenRows{};
    sevenRows.fill(0xABCDEF);
    ApplyScreenCells(NumberedCells(), 3, 7, sevenRows);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(sevenRows[static_cast<size_t>(c * kScreenGridRows + 6)], Cell(c, 5));
    }
    EXPECT_EQ(sevenRows[3 * kScreenGridRows], 0xABCDEFu) << "columns outside keep older values";
}

TEST(ScreenLightTest, AveragingMixesEachCellsPixelsAndSwapsRedAndBlue) {
    // Left half 0x00RRGGBB red, right half blue, 36 × 12 pixels: two columns of cells each.
    std::vector<std::uint32_t> pixels(36 * 12);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 36; ++x) {
            pixels[static_cast<size_t>(y * 36 + x)] = x < 18 ? 0xFF0000 : 0x0000FF;
        }
    }
    pixels[0] = 0x000000;  // one dark pixel of four in cell (0, 0)
    const ScreenCells cells = AverageScreenCells(pixels.data(), 36, 12, 36, 1);
    EXPECT_EQ(cells[0], 0x0000BFu);
    EXPECT_EQ(cells[1], 0x0000FFu);
    EXPECT_EQ(cells[17], 0xFF0000u);
}

class XvfbScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access("/usr/bin/Xvfb", X_OK) != 0) {
            GTEST_SKIP() << "no Xvfb to run a test display (make deps)";
        }
        const int number = 90 + static_cast<int>(getpid() % 500);
        const std::string display = ":" + std::to_string(number);
        m_pid = fork();
        if (m_pid == 0) {
            execl("/usr/bin/Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1920x1080x24",
                  "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(50ms);
        }
        m_environment.SetVariable("DISPLAY", display);
        for (int i = 0; i < 50 && !m_display; ++i) {
            m_display = XOpenDisplay(display.c_str());
            if (!m_display) {
                std::this_thread::sleep_for(50ms);
            }
        }
        ASSERT_NE(m_display, nullptr);
    }

    void TearDown() override {
        if (m_display) {
            XCloseDisplay(m_display);
        }
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    void PaintRoot(unsigned long pixel) {
        const Window root = DefaultRootWindow(m_display);
        XSetWindowBackground(m_display, root, pixel);
        XClearWindow(m_display, root);
        XSync(m_display, False);
    }

    test::TempEnvironment m_environment;
    pid_t m_pid = -1;
    Display* m_display = nullptr;
};

TEST_F(XvfbScreenTest, ARedScreenGivesEveryKeyRed) {
    PaintRoot(0xFF0000);
    ScreenLight light;
    light.SetSize(21, 6);
    ASSERT_TRUE(light.SampleOnce());
    EXPECT_TRUE(light.Available());
    for (int c = 0; c < 21; ++c) {
        for (int r = 0; r < 6; ++r) {
            EXPECT_EQ(light.Colour(c, r), 0x0000FFu) << c << "," << r;
        }
    }
    PaintRoot(0x00FF00);
    ASSERT_TRUE(light.SampleOnce());
    EXPECT_EQ(light.Colour(20, 5), 0x00FF00u);
}

TEST(ScreenLightNoDisplayTest, WithoutADisplayTheSamplerSaysSoAndKeepsItsGrid) {
    test::TempEnvironment environment;
    environment.SetVariable("DISPLAY", std::nullopt);
    environment.SetVariable("WAYLAND_DISPLAY", "wayland-0");
    ScreenLight light;
    light.SetSize(21, 6);
    light.SetActive(true);
    EXPECT_FALSE(light.SampleOnce());
    EXPECT_FALSE(light.Available());
    EXPECT_EQ(light.Colour(0, 0), 0u);
    light.SetActive(false);
}

}  // namespace
}  // namespace zephyl
