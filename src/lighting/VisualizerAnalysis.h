// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The music analyser's arithmetic: the spectrum of the latest samples, the colour schemes and
// the grid of levels × columns they are rendered into. Pure and allocation-free per frame, so
// the analyser thread, zephylctl and the tests run the same code.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zephyl {

inline constexpr int kMusicLevels = 64;    ///< grid rows, 0 at the top
inline constexpr int kMusicColumns = 256;  ///< grid columns, low to high frequency
inline constexpr int kMusicCells = kMusicLevels * kMusicColumns;
inline constexpr int kSampleRingLength = 512;
inline constexpr int kSpectrumLength = 256;
inline constexpr int kUsedBins = 64;

/// Colour scheme values of the fore and back lists (the generator's table types).
inline constexpr int kSchemeBlack = 0;
inline constexpr int kSchemeWhite = 6;
inline constexpr int kSchemeMovingRainbow = 17;
inline constexpr int kSchemeScreen = 100;

/// A 64 × 256 table of 0x00BBGGRR colours, cell (level, column) at level × 256 + column.
using MusicGrid = std::array<std::uint32_t, kMusicCells>;

inline constexpr std::size_t MusicCell(int level, int column) {
    return static_cast<std::size_t>(level) * kMusicColumns + static_cast<std::size_t>(column);
}

/// What the user and the analyser's defaults choose.
struct AnalyserSettings {
    int gain = 270;
    int decay = 80;         ///< percent kept per frame
    int windowType = 1;     ///< 0 none, 1 Hann, 2 Hamming, 3 Blackman
    int smoothingMode = 1;  ///< 0 blocks, 1 moving average
    int smoothingWidth = 8;
    float follow = 1.0F;
    int foreType = kSchemeMovingRainbow;
    int backType = kSchemeBlack;
    int backBrightness = 100;
};

/// Integer HSV to 0x00BBGGRR: h in degrees (any integer), s and v 0..255.
std::uint32_t MusicHsv(int h, int s, int v);

/// Each channel c of `colour` becomes c · k / 256.
std::uint32_t ScaleMusicColour(std::uint32_t colour, int k);

/// Fills `table` with scheme `type` at `brightness` (0..100) and `phase` degrees. Types the
/// generator does not know (100 among them) leave the table as it was.
void FillMusicScheme(MusicGrid& table, int type, int brightness, float phase);

/// The 512-point forward real FFT in place: `data` holds 512 real samples and gets the pairs
/// (re, im) of bins 0..255, with the DC term at [0] and the Nyquist term at [1].
void RealFft512(std::span<float, kSampleRingLength> data);

/// The spectrum analysis of one stream of samples.
class SpectrumAnalyser {
public:
    SpectrumAnalyser();

    /// Back to silence: ring, spectrum and display at zero.
    void Reset();

    /// Forgets the samples: the next frames analyse silence.
    void ClearRing() { m_ring.fill(0.0F); }

    /// Takes captured stereo float samples (interleaved left/right, `frames` frames): every two
    /// frames become one mean × 2 × gain that enters the ring twice, so the ring keeps the
    /// capture's rate. An odd last frame is averaged alone.
    void PushStereo(std::span<const float> interleaved, int gain);

    /// One frame of analysis on what the ring holds now: decay, window, transform, the
    /// log curve of the lowest 64 bins, smoothing and the display follow.
    void Analyse(const AnalyserSettings& settings);

    std::span<const float, kSpectrumLength> Spectrum() const { return m_spectrum; }
    std::span<const float, kSpectrumLength> Display() const { return m_display; }
    std::span<float, kSpectrumLength> MutableSpectrum() { return m_spectrum; }
    std::span<float, kSpectrumLength> MutableDisplay() { return m_display; }

private:
    void Smooth(int mode, int width);

    std::array<float, kSampleRingLength> m_ring{};
    std::array<float, kSampleRingLength> m_work{};
    std::array<float, kSpectrumLength> m_spectrum{};
    std::array<float, kSpectrumLength> m_display{};
    std::array<float, kSpectrumLength> m_scratch{};
    std::array<float, kSpectrumLength> m_weights{};
    std::array<std::array<float, kSpectrumLength>, 3> m_windows{};
};

/// Writes one frame of the grid: a cell (level i, column j) is lit when display[j] exceeds
/// (64 − i) / 64 and then takes the fore colour (also in `lit`), else the back colour (and 0 in
/// `lit`).
void RenderMusicGrid(std::span<const float, kSpectrumLength> display, const MusicGrid& fore,
                     const MusicGrid& back, MusicGrid& output, MusicGrid& lit);

/// The grid level the keys of layout row `row` sample, for a layout of `rowCount` rows.
int MusicKeyLevel(int row, int rowCount);
/// The grid column the keys of layout column `column` sample, for `columnCount` columns.
int MusicKeyColumn(int column, int columnCount);

}  // namespace zephyl
