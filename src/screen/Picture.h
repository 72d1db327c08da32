// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Pictures as the screen needs them: decoded from PNG, JPEG, BMP or GIF whatever the file is
// called, fitted to the screen and turned into RGB565. No Qt: zephylctl uploads pictures too.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

/// Straight (not premultiplied) RGBA, 4 bytes a pixel, rows top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    RgbaImage() = default;
    RgbaImage(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
    bool Empty() const { return width <= 0 || height <= 0; }
    std::uint8_t* Pixel(int x, int y) {
        return rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
    const std::uint8_t* Pixel(int x, int y) const {
        return rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
};

enum class PictureFormat { kUnknown, kPng, kJpeg, kBmp, kGif };

/// What one picture file may ask of the decoder. The screen is a few hundred pixels wide and
/// holds a few hundred frames: these leave room for camera photos and ordinary GIFs, and refuse
/// a file that declares more than memory and time allow before anything of that size is made.
inline constexpr std::size_t kMostPictureFileBytes = 16 * 1024 * 1024;
/// A still picture (PNG, JPEG, BMP), e.g. 4096 x 4096.
inline constexpr std::uint64_t kMostPicturePixels = 16 * 1024 * 1024;
/// A GIF's canvas, e.g. 2048 x 2048.
inline constexpr std::uint64_t kMostGifCanvasPixels = 4 * 1024 * 1024;
inline constexpr int kMostGifFrames = 1024;
/// Every frame a GIF decode draws, counted as its own rectangle plus the canvas it is fitted
/// from.
inline constexpr std::uint64_t kMostGifPixels = 64 * 1024 * 1024;

/// How the `error` of a refused picture begins when the picture is over the budget above, and
/// when the file is not a regular file.
inline constexpr const char* kPictureOverBudget = "too large for the screen: ";
inline constexpr const char* kPictureNotRegularFile = "not a regular file";

/// The format by the file's first bytes, never by its name.
PictureFormat SniffPictureFormat(std::span<const std::uint8_t> head);

/// Reads a picture file whole: a regular file of at most kMostPictureFileBytes. False, with
/// the reason in `error`, for anything else.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                   std::string* error = nullptr);

/// Checks what a picture declares (format, size; a GIF's frames) against the budget without
/// decoding its pixels; of a GIF only the first `mostFrames` frames count in the pixels drawn,
/// as when that many are uploaded.
bool InspectPicture(std::span<const std::uint8_t> bytes, std::string* error,
                    int mostFrames = std::numeric_limits<int>::max());
bool InspectPictureFile(const std::string& path, std::string* error,
                        int mostFrames = std::numeric_limits<int>::max());

/// Decodes a picture (a GIF gives its first frame). `error` says why not, in English.
bool DecodePicture(std::span<const std::uint8_t> bytes, RgbaImage& image, std::string* error);
bool DecodePictureFile(const std::string& path, RgbaImage& image, std::string* error);

/// Decodes a picture straight to `width` × `height` as FitPicture brings it there; a JPEG is
/// decoded at the smallest of its reduced sizes that still covers the result.
bool DecodeFittedPicture(std::span<const std::uint8_t> bytes, int width, int height,
                         RgbaImage& image, std::string* error);
bool DecodeFittedPictureFile(const std::string& path, int width, int height, RgbaImage& image,
                             std::string* error);

/// Writes an 8-bit RGBA PNG.
bool WritePng(const std::string& path, const RgbaImage& image);

/// Brings a picture to `width` × `height` keeping its proportions: scaled to fit whole, centred,
/// with black bars on the sides that do not fill. Shrinking averages the covered source pixels;
/// enlarging interpolates. Transparent parts show black, as they do on the screen.
RgbaImage FitPicture(const RgbaImage& source, int width, int height);

/// The keyboard's pixel format: 16 bits, red in bits 15..11, green 10..5, blue 4..0.
inline std::uint16_t Rgb565(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

/// Writes `image` (already at the screen's size) as RGB565: pixels row by row from the top-left
/// corner, each pixel high byte first. Alpha is laid over black.
void ToRgb565(const RgbaImage& image, std::span<std::uint8_t> out);

/// FitPicture then ToRgb565, without the copy when `picture` is already `width` × `height`.
void FitToRgb565(const RgbaImage& picture, int width, int height, std::span<std::uint8_t> out);

/// Decodes `path`, fits it to `width` × `height` and writes width · height · 2 bytes of RGB565 to
/// `out`. False, with `out` untouched, when the file is not a picture.
bool GetImageRGB565Data(const std::string& path, std::span<std::uint8_t> out, int width, int height,
                        std::string* error = nullptr);

}  // namespace zephyl
