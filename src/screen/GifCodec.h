// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Animated GIFs in and out, with giflib.

#include "screen/Picture.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

/// Delay a GIF frame gets when it says none or too short a one to be meant; browsers show such
/// frames for 100 ms as well.
inline constexpr int kGifDefaultDelayMs = 100;

/// The frames of a GIF as a browser shows them: each one the whole canvas after that frame was
/// drawn (disposal, transparency, local palettes and interlace applied), with its delay. Keeps a
/// copy of every frame: for small GIFs (tests); the program hands frames on one at a time.
struct GifAnimation {
    int width = 0;
    int height = 0;
    std::vector<RgbaImage> frames;
    std::vector<int> delaysMs;
};

bool DecodeGif(std::span<const std::uint8_t> bytes, GifAnimation& animation, std::string* error);
bool DecodeGifFile(const std::string& path, GifAnimation& animation, std::string* error);

/// Hands out the frames of a GIF one at a time, all drawn on one canvas. Before anything is
/// drawn the file's records are read once without their pixels: the canvas size, the frame
/// count and each drawn frame's size are checked against the budget of Picture.h, and `begin`
/// gets the canvas size and every frame's delay. Then `frame` gets each frame's index and the
/// canvas after it was drawn; it returns false to stop. At most `mostFrames` frames are drawn,
/// and only those count in the budget.
struct GifFrameSink {
    int mostFrames = std::numeric_limits<int>::max();
    std::function<void(int width, int height, const std::vector<int>& delaysMs)> begin;
    std::function<bool(int index, const RgbaImage& canvas)> frame;
};
bool DecodeGifFrames(std::span<const std::uint8_t> bytes, const GifFrameSink& sink,
                     std::string* error);

/// The checks DecodeGifFrames makes before drawing, as if it drew `mostFrames` frames.
bool InspectGif(std::span<const std::uint8_t> bytes, std::string* error,
                int mostFrames = std::numeric_limits<int>::max());

/// Writes an animated GIF that loops forever, `width` × `height`, each frame fitted to that size
/// and reduced to its own 256-colour palette. `delaysMs` are rounded to 1/100 s.
bool EncodeGifFile(const std::string& path, std::span<const RgbaImage> frames,
                   std::span<const int> delaysMs, int width, int height, std::string* error);

/// Splits a GIF into "0.png", "1.png", … in `folder` (which must exist) and gives one delay per
/// frame. A frame larger than `fitWidth` × `fitHeight` (when given) is stored fitted to it, as
/// the screen would show it. Returns the number of frames, 0 when the file is no GIF that can be
/// read.
int LoadGIFImageFile(const std::string& gifPath, const std::string& folder,
                     std::vector<int>& delaysMs, std::string* error = nullptr, int fitWidth = 0,
                     int fitHeight = 0);

}  // namespace zephyl
