// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/ScreenLight.h"

#include <algorithm>
#include <chrono>

namespace zephyl {

ScreenCells AverageScreenCells(const std::uint32_t* pixels, int width, int height, int stride,
                               int step) {
    ScreenCells cells{};
    step = std::max(step, 1);
    for (int y = 0; y < kScreenCellRows; ++y) {
        const int top = height * y / kScreenCellRows;
        const int bottom = height * (y + 1) / kScreenCellRows;
        for (int x = 0; x < kScreenCellColumns; ++x) {
            const int left = width * x / kScreenCellColumns;
            const int right = width * (x + 1) / kScreenCellColumns;
            std::uint64_t r = 0;
            std::uint64_t g = 0;
            std::uint64_t b = 0;
            std::uint64_t count = 0;
            for (int py = top; py < bottom; py += step) {
                const std::uint32_t* line = pixels + static_cast<std::ptrdiff_t>(py) * stride;
                for (int px = left; px < right; px += step) {
                    const std::uint32_t p = line[px];
                    r += (p >> 16) & 0xFF;
                    g += (p >> 8) & 0xFF;
                    b += p & 0xFF;
                    ++count;
                }
            }
            if (count > 0) {
                cells[static_cast<size_t>(y * kScreenCellColumns + x)] =
                    static_cast<std::uint32_t>(r / count) |
                    (static_cast<std::uint32_t>(g / count) << 8) |
                    (static_cast<std::uint32_t>(b / count) << 16);
            }
        }
    }
    return cells;
}

void ApplyScreenCells(const ScreenCells& cells, int columns, int rows, ScreenGrid& grid) {
    columns = std::clamp(columns, 0, kScreenGridColumns);
    rows = std::clamp(rows, 0, kScreenGridRows);
    std::uint32_t last = 0;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            if (c < kScreenCellColumns && r < kScreenCellRows) {
                last = cells[static_cast<size_t>(r * kScreenCellColumns + c)];
            }
            grid[static_cast<size_t>(c * kScreenGridRows + r)] = last;
        }
    }
}

ScreenLight::ScreenLight(std::unique_ptr<ScreenGrabber> grabber)
    : m_grabber(std::move(grabber)), m_opened(m_grabber != nullptr) {
    m_thread = std::thread([this] { Loop(); });
}

ScreenLight::~ScreenLight() {
    {
        std::lock_guard lock(m_loopMutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ScreenLight::SetActive(bool active) {
    m_active.store(active);
    m_wake.notify_all();
}

void ScreenLight::SetSize(int columns, int rows) {
    m_columns.store(columns);
    m_rows.store(rows);
}

bool ScreenLight::SampleOnce() {
    std::lock_guard lock(m_grabMutex);
    if (!m_opened) {
        m_grabber = OpenX11ScreenGrabber();
        m_opened = true;
    }
    ScreenCells cells{};
    if (!m_grabber || !m_grabber->Grab(cells)) {
        m_available.store(false);
        return false;
    }
    m_available.store(true);
    ScreenGrid grid{};
    for (size_t i = 0; i < grid.size(); ++i) {
        grid[i] = m_grid[i].load(std::memory_order_relaxed);
    }
    ApplyScreenCells(cells, m_columns.load(), m_rows.load(), grid);
    for (size_t i = 0; i < grid.size(); ++i) {
        m_grid[i].store(grid[i], std::memory_order_relaxed);
    }
    return true;
}

std::uint32_t ScreenLight::Colour(int column, int row) const {
    if (column < 0 || column >= kScreenGridColumns || row < 0 || row >= kScreenGridRows) {
        return 0;
    }
    return m_grid[static_cast<size_t>(column * kScreenGridRows + row)].load(
        std::memory_order_relaxed);
}

void ScreenLight::Loop() {
    std::unique_lock lock(m_loopMutex);
    while (!m_stop) {
        if (!m_active.load()) {
            m_wake.wait_for(lock, std::chrono::milliseconds(kIdlePollMs));
            continue;
        }
        lock.unlock();
        const bool sampled = SampleOnce();
        lock.lock();
        // Without a screen there is nothing to follow: look again only at the idle pace.
        const int pause = sampled ? kSamplePauseMs : kIdlePollMs;
        m_wake.wait_for(lock, std::chrono::milliseconds(pause), [this] { return m_stop; });
    }
}

}  // namespace zephyl
