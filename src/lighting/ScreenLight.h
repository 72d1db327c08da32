// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace zephyl {

inline constexpr int kScreenGridColumns = 30;
inline constexpr int kScreenGridRows = 8;
inline constexpr int kScreenCellColumns = 18;
inline constexpr int kScreenCellRows = 6;

/// The screen averaged into 18 × 6 cells of 0x00BBGGRR, cell (x, y) at y × 18 + x.
using ScreenCells = std::array<std::uint32_t, kScreenCellColumns * kScreenCellRows>;
/// The key grid, column-major: column c, row r at c × 8 + r.
using ScreenGrid = std::array<std::uint32_t, kScreenGridColumns * kScreenGridRows>;

/// Averages a 32-bit 0x00RRGGBB image (`stride` pixels a line) into cells, reading every
/// `step`-th pixel of every `step`-th line.
ScreenCells AverageScreenCells(const std::uint32_t* pixels, int width, int height, int stride,
                               int step);

/// Writes a sample into the grid for the first `columns` × `rows` keys: a cell that exists is
/// read, one beyond 18 × 6 takes the last cell read before it (black before the first).
void ApplyScreenCells(const ScreenCells& cells, int columns, int rows, ScreenGrid& grid);

/// Where the screen's colours come from.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    /// One averaged sample; false when the screen cannot be captured.
    virtual bool Grab(ScreenCells& cells) = 0;
};

/// The X11 root window through a shared-memory image; null when no X display answers.
std::unique_ptr<ScreenGrabber> OpenX11ScreenGrabber();

/// Samples the screen about 30 times a second while active, into the key grid the music frame
/// reads with the screen scheme.
class ScreenLight {
public:
    static constexpr int kSamplePauseMs = 33;
    static constexpr int kIdlePollMs = 1000;

    /// With no grabber, the X11 one is opened on the first active sample.
    explicit ScreenLight(std::unique_ptr<ScreenGrabber> grabber = nullptr);
    ~ScreenLight();
    ScreenLight(const ScreenLight&) = delete;
    ScreenLight& operator=(const ScreenLight&) = delete;

    void SetActive(bool active);
    bool Active() const { return m_active.load(); }
    /// The layout's columns and rows (the grid keeps at most 30 × 8).
    void SetSize(int columns, int rows);
    /// Samples once now; false when the screen could not be read.
    bool SampleOnce();
    /// False once a capture was tried and no screen could be read.
    bool Available() const { return m_available.load(); }
    std::uint32_t Colour(int column, int row) const;

private:
    void Loop();

    std::mutex m_grabMutex;
    std::unique_ptr<ScreenGrabber> m_grabber;
    bool m_opened = false;
    std::array<std::atomic<std::uint32_t>, kScreenGridColumns * kScreenGridRows> m_grid{};
    std::atomic<int> m_columns{0};
    std::atomic<int> m_rows{0};
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_available{true};
    std::mutex m_loopMutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace zephyl
