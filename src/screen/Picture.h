// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Pictures as the screen needs them: decoded from PNG, JPEG, BMP or GIF whatever the file is
// called, fitted to the screen and turned into RGB565. No Qt: zephylctl uploads pictures too.

#include <cstdint>
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

/// The format by the file's first bytes, never by its name.
PictureFormat SniffPictureFormat(std::span<const std::uint8_t> head);

/// Reads a whole file; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);

/// Decodes a picture (a GIF gives its first frame). `error` says why not, in English.
bool DecodePicture(std::span<const std::uint8_t> bytes, RgbaImage& image, std::string* error);
bool DecodePictureFile(const std::string& path, RgbaImage& image, std::string* error);

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
