// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/VisualizerAnalysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace zephyl {
namespace {

constexpr int kHalf = kSampleRingLength / 2;  // complex points of the transform
constexpr int kHalfBits = 8;

/// Twiddles and bit reversal of the 256-point transform, computed once.
struct FftTables {
    std::array<std::complex<float>, kHalf / 2> twiddle{};
    std::array<std::complex<float>, kHalf> split{};  // e^{-2πik/512}
    std::array<std::uint16_t, kHalf> reversed{};

    FftTables() {
        for (int k = 0; k < kHalf / 2; ++k) {
            const double angle = -2.0 * std::numbers::pi * k / kHalf;
            twiddle[k] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
        }
        for (int k = 0; k < kHalf; ++k) {
            const double angle = -2.0 * std::numbers::pi * k / kSampleRingLength;
            split[k] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
            int r = 0;
            for (int bit = 0; bit < kHalfBits; ++bit) {
                r |= ((k >> bit) & 1) << (kHalfBits - 1 - bit);
            }
            reversed[k] = static_cast<std::uint16_t>(r);
        }
    }
};

const FftTables& Tables() {
    static const FftTables tables;
    return tables;
}

std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
           (static_cast<std::uint32_t>(b & 0xFF) << 16);
}

void FillSolid(MusicGrid& table, std::uint32_t colour) {
    table.fill(colour);
}

void FillGradient(MusicGrid& table, std::span<const std::uint32_t> colours, int k) {
    const int n = static_cast<int>(colours.size());
    for (int i = 1; i < kMusicLevels; ++i) {
        const int index = std::clamp(static_cast<int>(n - n * i / 63.0), 0, n - 1);
        std::fill_n(table.begin() + static_cast<std::ptrdiff_t>(MusicCell(i, 0)), kMusicColumns,
                    ScaleMusicColour(colours[static_cast<size_t>(index)], k));
    }
    for (int j = 0; j < kMusicColumns; ++j) {
        const int index = j < 128 ? std::min(n - 1, static_cast<int>(n - n * j / 128.0))
                                  : static_cast<int>((j - 128) * n / 128.0);
        table[MusicCell(0, j)] = ScaleMusicColour(colours[static_cast<size_t>(index)], k);
    }
}

/// The hue of each cell around a centre before the phase is added; the same for every frame.
struct WheelTable {
    std::array<std::int16_t, kMusicCells> hue{};
    explicit WheelTable(int centre) {
        for (int i = 0; i < kMusicLevels; ++i) {
            for (int j = 0; j < kMusicColumns; ++j) {
                const double angle = std::atan2(double(i - centre), double(j - 128));
                hue[MusicCell(i, j)] = static_cast<std::int16_t>(
                    static_cast<int>(angle * 57.295827908797776 + 180.0) % 360);
            }
        }
    }
};

void FillWheel(MusicGrid& table, int centre, int k, float phase) {
    static const WheelTable around32(32);
    static const WheelTable around64(64);
    const WheelTable& wheel = centre == 32 ? around32 : around64;
    // The base hues are whole degrees, so adding the phase and truncating adds its whole
    // part: one HSV per degree, then a lookup per cell.
    const int shift = static_cast<int>(phase);
    std::array<std::uint32_t, 360> colours{};
    for (int hue = 0; hue < 360; ++hue) {
        colours[static_cast<size_t>(hue)] = MusicHsv(hue + shift, 255, k);
    }
    for (size_t cell = 0; cell < table.size(); ++cell) {
        table[cell] = colours[static_cast<size_t>(wheel.hue[cell])];
    }
}

std::uint32_t RainbowColour(double angle, int k) {
    const int r = static_cast<int>((std::sin(angle) + 1.0) * 127.0);
    const int g = static_cast<int>((std::sin(angle - 2.0933335) + 1.0) * 127.0);
    const int b = static_cast<int>((std::sin(angle + 2.0933335) + 1.0) * 127.0);
    return Rgb(r * k / 256, g * k / 256, b * k / 256);
}

double RainbowAngle(double position) {
    return (static_cast<double>(static_cast<int>(position) % 360) / 360.0) * 2.0 * 3.14;
}

void FillColumns(MusicGrid& table, const std::array<std::uint32_t, kMusicColumns>& colours) {
    for (int i = 0; i < kMusicLevels; ++i) {
        std::copy(colours.begin(), colours.end(),
                  table.begin() + static_cast<std::ptrdiff_t>(MusicCell(i, 0)));
    }
}

}  // namespace

std::uint32_t MusicHsv(int h, int s, int v) {
    h = ((h % 360) + 360) % 360;
    if (s == 0) {
        return Rgb(v, v, v);
    }
    const int sector = h / 60;
    const int p = v * (256 - s) / 256;
    const int fall = v * (s * (60 * sector - h) + 15360) / 15360;
    const int rise = v * (s * (h - 60 * (sector + 1)) + 15360) / 15360;
    switch (sector) {
        case 0:
            return Rgb(v, rise, p);
        case 1:
            return Rgb(fall, v, p);
        case 2:
            return Rgb(p, v, rise);
        case 3:
            return Rgb(p, fall, v);
        case 4:
            return Rgb(rise, p, v);
        default:
            return Rgb(v, p, fall);
    }
}

std::uint32_t ScaleMusicColour(std::uint32_t colour, int k) {
    const auto channel = [&](int shift) {
        return static_cast<int>((colour >> shift) & 0xFF) * k / 256;
    };
    return Rgb(channel(0), channel(8), channel(16));
}

void FillMusicScheme(MusicGrid& table, int type, int brightness, float phase) {
    const int k = static_cast<int>(brightness * 2.55);
    static constexpr std::uint32_t kSolid[] = {0x000000, 0,        0,        0,        0,
                                               0,        0xFFFFFF, 0x0000FF, 0x0040FF, 0x00FFFF,
                                               0xFF0000, 0x00FF00, 0xFFFF00, 0xFF0040};
    static constexpr std::uint32_t kGreenYellowRed[] = {0x00FF00, 0x00FFFF, 0x0000FF};
    static constexpr std::uint32_t kRedToMagenta[] = {0x0000FF, 0x00FFFF, 0x00FF00,
                                                      0xFFFF00, 0xFF0000, 0xFF00FF};
    static constexpr std::uint32_t kMagentaToRed[] = {0xFF00FF, 0xFF0000, 0xFFFF00,
                                                      0x00FF00, 0x00FFFF, 0x0000FF};
    static constexpr std::uint32_t kGreenWhiteRed[] = {0x00FF00, 0xFFFFFF, 0x0000FF};
    static constexpr std::uint32_t kBlueCyanWhite[] = {0xFF0000, 0xFFFF00, 0xFFFFFF};
    static constexpr std::uint32_t kRedWhiteBlue[] = {0x0000FF, 0xFFFFFF, 0xFF0000};
    switch (type) {
        case 0:
        case 6:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
            FillSolid(table, ScaleMusicColour(kSolid[type], k));
            return;
        case 1:
            FillGradient(table, kGreenYellowRed, k);
            return;
        case 2:
            FillGradient(table, kRedToMagenta, k);
            return;
        case 3:
            FillGradient(table, kMagentaToRed, k);
            return;
        case 14:
            FillGradient(table, kGreenWhiteRed, k);
            return;
        case 15:
            FillGradient(table, kBlueCyanWhite, k);
            return;
        case 16:
            FillGradient(table, kRedWhiteBlue, k);
            return;
        case 4:
            FillWheel(table, 32, k, phase);
            return;
        case 19:
            FillWheel(table, 64, k, phase);
            return;
        case 5:
            FillSolid(table, MusicHsv(static_cast<int>(phase), 255, k));
            return;
        case 17: {
            std::array<std::uint32_t, kMusicColumns> colours{};
            for (int j = 0; j < kMusicColumns; ++j) {
                colours[static_cast<size_t>(j)] =
                    RainbowColour(RainbowAngle(1.4117647 * j - phase), k);
            }
            FillColumns(table, colours);
            return;
        }
        case 18: {
            std::array<std::uint32_t, kMusicColumns> colours{};
            for (int j = 0; j < kMusicColumns; ++j) {
                colours[static_cast<size_t>(j)] =
                    MusicHsv(static_cast<int>(256 - j + phase) % 360, 255, k);
            }
            FillColumns(table, colours);
            return;
        }
        case 20:
            FillSolid(table, RainbowColour(RainbowAngle(1.4117647 - phase), k));
            return;
        default:
            return;  // screen colours and unknown types draw nothing here
    }
}

void RealFft512(std::span<float, kSampleRingLength> data) {
    const FftTables& tables = Tables();
    std::array<std::complex<float>, kHalf> z;
    for (int k = 0; k < kHalf; ++k) {
        z[tables.reversed[k]] = {data[2 * k], data[2 * k + 1]};
    }
    for (int size = 2; size <= kHalf; size *= 2) {
        const int half = size / 2;
        const int step = kHalf / size;
        for (int start = 0; start < kHalf; start += size) {
            for (int k = 0; k < half; ++k) {
                const std::complex<float> t = tables.twiddle[k * step] * z[start + k + half];
                z[start + k + half] = z[start + k] - t;
                z[start + k] += t;
            }
        }
    }
    // The split step turns the half-length complex transform into the real one.
    data[0] = z[0].real() + z[0].imag();
    data[1] = z[0].real() - z[0].imag();
    for (int k = 1; k < kHalf; ++k) {
        const std::complex<float> a = z[k];
        const std::complex<float> b = std::conj(z[kHalf - k]);
        const std::complex<float> even = 0.5F * (a + b);
        const std::complex<float> odd = std::complex<float>(0.0F, -0.5F) * (a - b);
        const std::complex<float> x = even + tables.split[k] * odd;
        data[2 * k] = x.real();
        data[2 * k + 1] = x.imag();
    }
}

SpectrumAnalyser::SpectrumAnalyser() {
    for (int i = 0; i < kSpectrumLength; ++i) {
        const double x = 2.0 * std::numbers::pi * i / kSpectrumLength;
        m_weights[i] = static_cast<float>(0.04 + 0.5 * i / 256.0);
        m_windows[0][i] = static_cast<float>(0.5 * (1.0 - std::cos(x)));
        m_windows[1][i] = static_cast<float>(0.54 - 0.46 * std::cos(x));
        m_windows[2][i] = static_cast<float>(0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x));
    }
    Tables();
}

void SpectrumAnalyser::Reset() {
    m_ring.fill(0.0F);
    m_spectrum.fill(0.0F);
    m_display.fill(0.0F);
}

void SpectrumAnalyser::PushStereo(std::span<const float> interleaved, int gain) {
    const float scale = 0.25F * 2.0F * static_cast<float>(gain);
    // Every four floats (two frames) put one value into the ring twice; only the newest 256
    // values can still be in the ring afterwards, so older ones are not computed at all.
    const size_t values = (interleaved.size() + 2) / 4;
    constexpr size_t kRingValues = kSampleRingLength / 2;
    const size_t kept = std::min(values, kRingValues);
    std::copy(m_ring.begin() + static_cast<std::ptrdiff_t>(2 * kept), m_ring.end(), m_ring.begin());
    size_t slot = kSampleRingLength - 2 * kept;
    for (size_t value = values - kept; value < values; ++value, slot += 2) {
        const size_t at = 4 * value;
        const bool whole = at + 3 < interleaved.size();
        const float sum = whole ? interleaved[at] + interleaved[at + 1] + interleaved[at + 2] +
                                      interleaved[at + 3]
                                : 2.0F * (interleaved[at] + interleaved[at + 1]);
        m_ring[slot] = m_ring[slot + 1] = sum * scale;
    }
}

void SpectrumAnalyser::Analyse(const AnalyserSettings& settings) {
    const float decay = static_cast<float>(settings.decay) / 100.0F;
    for (float& value : m_spectrum) {
        value *= decay;
    }
    m_work = m_ring;
    if (settings.windowType >= 1 && settings.windowType <= 3) {
        const auto& window = m_windows[static_cast<size_t>(settings.windowType - 1)];
        for (int i = 0; i < kSpectrumLength; ++i) {
            m_work[i] *= window[i];
        }
    }
    RealFft512(m_work);
    m_work[0] = m_work[2];
    for (int i = 0; i < kSpectrumLength; ++i) {
        m_work[i] *= m_weights[i];
    }
    for (int k = 0; k < kUsedBins; ++k) {
        const float re = m_work[2 * k];
        const float im = m_work[2 * k + 1];
        const float m = std::sqrt(re * re + im * im);
        float v = m > 0.0F ? 0.5F * std::log10(1.1F * m) + 0.9F * m : 0.0F;
        v = std::min(v, 1.0F);
        float& slot = m_spectrum[4 * k];
        slot = std::max(slot, v);
        if (slot < 0.0F) {
            slot = 0.0F;
        }
        m_spectrum[4 * k + 1] = m_spectrum[4 * k + 2] = m_spectrum[4 * k + 3] = slot;
    }
    Smooth(settings.smoothingMode, settings.smoothingWidth);
    for (int i = 0; i < kSpectrumLength; ++i) {
        m_display[i] += (m_spectrum[i] - m_display[i]) * settings.follow;
    }
}

void SpectrumAnalyser::Smooth(int mode, int width) {
    const int w = std::clamp(width, 1, kSpectrumLength / 2 - 1);
    auto mean = [this](int from, int count) {
        float sum = 0.0F;
        for (int i = from; i < from + count; ++i) {
            sum += m_spectrum[i];
        }
        return sum / static_cast<float>(count);
    };
    if (mode == 0) {
        const float first = mean(0, w);
        const float last = mean(kSpectrumLength - w, w);
        std::fill_n(m_spectrum.begin(), w, first);
        std::fill_n(m_spectrum.end() - w, w, last);
        for (int start = 0; start < kSpectrumLength - w; start += w) {
            std::fill_n(m_spectrum.begin() + start, w, mean(start, w));
        }
        return;
    }
    if (mode != 1) {
        return;
    }
    for (int i = 0; i < w; ++i) {
        const float low = mean(0, w + i + 1);
        const float high = mean(kSpectrumLength - 1 - (w + i), w + i + 1);
        m_spectrum[i] = low;
        m_spectrum[kSpectrumLength - 1 - i] = high;
    }
    const float divisor = static_cast<float>(2 * w + 1);
    for (int i = w; i <= kSpectrumLength - 1 - w; ++i) {
        float sum = m_spectrum[i];
        for (int d = 1; d <= w; ++d) {
            sum += m_spectrum[i - d] + m_spectrum[i + d];
        }
        m_spectrum[i] = sum / divisor;
    }
}

void RenderMusicGrid(std::span<const float, kSpectrumLength> display, const MusicGrid& fore,
                     const MusicGrid& back, MusicGrid& output, MusicGrid& lit) {
    for (int i = 0; i < kMusicLevels; ++i) {
        const float threshold = static_cast<float>(kMusicLevels - i) / kMusicLevels;
        const size_t row = MusicCell(i, 0);
        for (int j = 0; j < kMusicColumns; ++j) {
            const size_t cell = row + static_cast<size_t>(j);
            const bool on = display[j] > threshold;
            output[cell] = on ? fore[cell] : back[cell];
            lit[cell] = on ? fore[cell] : 0;
        }
    }
}

int MusicKeyLevel(int row, int rowCount) {
    if (rowCount <= 0) {
        return 0;
    }
    const int s = 62 / rowCount;
    return std::clamp(static_cast<int>(s * row + 2 + 0.5 * s), 0, kMusicLevels - 1);
}

int MusicKeyColumn(int column, int columnCount) {
    if (columnCount <= 0) {
        return 0;
    }
    return std::clamp((255 / columnCount) * column, 0, kMusicColumns - 1);
}

}  // namespace zephyl
