// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/Picture.h"

#include "screen/GifCodec.h"

#include <png.h>
// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <fstream>

namespace zephyl {
namespace {

void SetError(std::string* error, const std::string& text) {
    if (error) {
        *error = text;
    }
}

bool DecodePng(std::span<const std::uint8_t> bytes, RgbaImage& image, std::string* error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        SetError(error, std::string("damaged PNG: ") + png.message);
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    if (png.width == 0 || png.height == 0 || png.width > 16384 || png.height > 16384) {
        png_image_free(&png);
        SetError(error, "PNG of unusable size");
        return false;
    }
    RgbaImage decoded(static_cast<int>(png.width), static_cast<int>(png.height));
    if (!png_image_finish_read(&png, nullptr, decoded.rgba.data(), 0, nullptr)) {
        SetError(error, std::string("damaged PNG: ") + png.message);
        png_image_free(&png);
        return false;
    }
    image = std::move(decoded);
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegFail(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->jump, 1);
}

// Kept apart from anything with a destructor: longjmp must not skip one.
bool DecodeJpegInto(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& rgba,
                    int& width, int& height, char* message) {
    jpeg_decompress_struct info{};
    JpegError failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegFail;
    if (setjmp(failure.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", failure.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        std::snprintf(message, JMSG_LENGTH_MAX, "JPEG of unusable size");
        jpeg_destroy_decompress(&info);
        return false;
    }
    rgba.resize(static_cast<std::size_t>(width) * height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgba.data() + static_cast<std::size_t>(info.output_scanline) * width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool DecodeJpeg(std::span<const std::uint8_t> bytes, RgbaImage& image, std::string* error) {
    std::vector<std::uint8_t> rgba;
    int width = 0;
    int height = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (!DecodeJpegInto(bytes, rgba, width, height, message)) {
        SetError(error, std::string("damaged JPEG: ") + message);
        return false;
    }
    image.width = width;
    image.height = height;
    image.rgba = std::move(rgba);
    return true;
}

std::uint32_t Le(std::span<const std::uint8_t> bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

/// Uncompressed BMP of 8, 16 (5-5-5), 24 or 32 bits, bottom-up or top-down.
bool DecodeBmp(std::span<const std::uint8_t> bytes, RgbaImage& image, std::string* error) {
    if (bytes.size() < 54) {
        SetError(error, "damaged BMP");
        return false;
    }
    const std::uint32_t dataOffset = Le(bytes, 10, 4);
    const std::uint32_t headerSize = Le(bytes, 14, 4);
    const auto width = static_cast<std::int32_t>(Le(bytes, 18, 4));
    const auto rawHeight = static_cast<std::int32_t>(Le(bytes, 22, 4));
    const int bits = static_cast<int>(Le(bytes, 28, 2));
    const std::uint32_t compression = Le(bytes, 30, 4);
    const bool topDown = rawHeight < 0;
    const int height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
        (compression != 0 && !(compression == 3 && bits == 32))) {
        SetError(error, "BMP of a kind this program does not read");
        return false;
    }
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        SetError(error, "BMP of a kind this program does not read");
        return false;
    }
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    if (dataOffset + stride * height > bytes.size()) {
        SetError(error, "damaged BMP");
        return false;
    }
    const std::size_t palette = 14 + headerSize;
    RgbaImage decoded(width, height);
    for (int y = 0; y < height; ++y) {
        const std::size_t row =
            dataOffset + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            std::uint8_t* out = decoded.Pixel(x, y);
            out[3] = 255;
            if (bits == 8) {
                const std::size_t entry = palette + 4 * static_cast<std::size_t>(bytes[row + x]);
                if (entry + 3 > bytes.size()) {
                    continue;
                }
                out[0] = bytes[entry + 2];
                out[1] = bytes[entry + 1];
                out[2] = bytes[entry];
            } else if (bits == 16) {
                const std::uint32_t v = Le(bytes, row + 2 * static_cast<std::size_t>(x), 2);
                out[0] = static_cast<std::uint8_t>(((v >> 10) & 31) * 255 / 31);
                out[1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 255 / 31);
                out[2] = static_cast<std::uint8_t>((v & 31) * 255 / 31);
            } else {
                const std::size_t at = row + static_cast<std::size_t>(x) * (bits / 8);
                out[0] = bytes[at + 2];
                out[1] = bytes[at + 1];
                out[2] = bytes[at];
            }
        }
    }
    image = std::move(decoded);
    return true;
}

/// Mean of the source box that one target pixel covers, weighted by coverage, in premultiplied
/// colour so that transparent pixels do not darken their neighbours.
void BoxSample(const RgbaImage& source, double x0, double x1, double y0, double y1,
               std::uint8_t* out) {
    double sum[4] = {0, 0, 0, 0};
    double total = 0;
    const int xs = static_cast<int>(std::floor(x0));
    const int xe = std::min(source.width, static_cast<int>(std::ceil(x1)));
    const int ys = static_cast<int>(std::floor(y0));
    const int ye = std::min(source.height, static_cast<int>(std::ceil(y1)));
    for (int y = ys; y < ye; ++y) {
        const double wy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
        for (int x = xs; x < xe; ++x) {
            const double w = wy * (std::min<double>(x + 1, x1) - std::max<double>(x, x0));
            const std::uint8_t* p = source.Pixel(x, y);
            const double a = p[3] / 255.0;
            sum[0] += w * p[0] * a;
            sum[1] += w * p[1] * a;
            sum[2] += w * p[2] * a;
            sum[3] += w * p[3];
            total += w;
        }
    }
    if (total <= 0) {
        return;
    }
    const double alpha = sum[3] / total;
    for (int c = 0; c < 3; ++c) {
        // Laid over black: premultiplied colour is what the screen shows.
        out[c] = static_cast<std::uint8_t>(std::clamp(sum[c] / total + 0.5, 0.0, 255.0));
    }
    out[3] = static_cast<std::uint8_t>(std::clamp(alpha + 0.5, 0.0, 255.0));
}

void BilinearSample(const RgbaImage& source, double sx, double sy, std::uint8_t* out) {
    sx = std::clamp(sx, 0.0, source.width - 1.0);
    sy = std::clamp(sy, 0.0, source.height - 1.0);
    const int x0 = static_cast<int>(sx);
    const int y0 = static_cast<int>(sy);
    const int x1 = std::min(x0 + 1, source.width - 1);
    const int y1 = std::min(y0 + 1, source.height - 1);
    const double fx = sx - x0;
    const double fy = sy - y0;
    double sum[4] = {0, 0, 0, 0};
    const auto add = [&](int x, int y, double w) {
        const std::uint8_t* p = source.Pixel(x, y);
        const double a = p[3] / 255.0;
        for (int c = 0; c < 3; ++c) {
            sum[c] += w * p[c] * a;
        }
        sum[3] += w * p[3];
    };
    add(x0, y0, (1 - fx) * (1 - fy));
    add(x1, y0, fx * (1 - fy));
    add(x0, y1, (1 - fx) * fy);
    add(x1, y1, fx * fy);
    for (int c = 0; c < 4; ++c) {
        out[c] = static_cast<std::uint8_t>(std::clamp(sum[c] + 0.5, 0.0, 255.0));
    }
}

}  // namespace

PictureFormat SniffPictureFormat(std::span<const std::uint8_t> head) {
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (head.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, head.begin())) {
        return PictureFormat::kPng;
    }
    if (head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
        return PictureFormat::kJpeg;
    }
    if (head.size() >= 6 && std::memcmp(head.data(), "GIF8", 4) == 0) {
        return PictureFormat::kGif;
    }
    if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M') {
        return PictureFormat::kBmp;
    }
    return PictureFormat::kUnknown;
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return false;
    }
    // One read of the whole file: a byte-wise stream iterator costs more than decoding a GIF.
    const std::streamoff size = file.tellg();
    if (size < 0) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    return static_cast<bool>(file.read(reinterpret_cast<char*>(bytes.data()), size));
}

bool DecodePicture(std::span<const std::uint8_t> bytes, RgbaImage& image, std::string* error) {
    switch (SniffPictureFormat(bytes)) {
        case PictureFormat::kPng:
            return DecodePng(bytes, image, error);
        case PictureFormat::kJpeg:
            return DecodeJpeg(bytes, image, error);
        case PictureFormat::kBmp:
            return DecodeBmp(bytes, image, error);
        case PictureFormat::kGif: {
            GifAnimation animation;
            if (!DecodeGif(bytes, animation, error) || animation.frames.empty()) {
                return false;
            }
            image = std::move(animation.frames.front());
            return true;
        }
        case PictureFormat::kUnknown:
            break;
    }
    SetError(error, "not a PNG, JPEG, BMP or GIF picture");
    return false;
}

bool DecodePictureFile(const std::string& path, RgbaImage& image, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) {
        SetError(error, "cannot be read");
        return false;
    }
    return DecodePicture(bytes, image, error);
}

bool WritePng(const std::string& path, const RgbaImage& image) {
    if (image.Empty()) {
        return false;
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    const bool written =
        png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return written;
}

RgbaImage FitPicture(const RgbaImage& source, int width, int height) {
    RgbaImage target(width, height);
    for (std::size_t i = 3; i < target.rgba.size(); i += 4) {
        target.rgba[i] = 255;  // the bars are opaque black
    }
    if (source.Empty() || width <= 0 || height <= 0) {
        return target;
    }
    const double scale = std::min(static_cast<double>(width) / source.width,
                                  static_cast<double>(height) / source.height);
    const int fittedWidth =
        std::clamp(static_cast<int>(std::lround(source.width * scale)), 1, width);
    const int fittedHeight =
        std::clamp(static_cast<int>(std::lround(source.height * scale)), 1, height);
    const int left = (width - fittedWidth) / 2;
    const int top = (height - fittedHeight) / 2;
    const double sx = static_cast<double>(source.width) / fittedWidth;
    const double sy = static_cast<double>(source.height) / fittedHeight;
    const bool shrink = sx > 1.0 || sy > 1.0;
    for (int y = 0; y < fittedHeight; ++y) {
        for (int x = 0; x < fittedWidth; ++x) {
            std::uint8_t sample[4] = {0, 0, 0, 0};
            if (sx == 1.0 && sy == 1.0) {
                const std::uint8_t* p = source.Pixel(x, y);
                for (int c = 0; c < 3; ++c) {
                    sample[c] = static_cast<std::uint8_t>((p[c] * p[3] + 127) / 255);
                }
                sample[3] = p[3];
            } else if (shrink) {
                BoxSample(source, x * sx, (x + 1) * sx, y * sy, (y + 1) * sy, sample);
            } else {
                BilinearSample(source, (x + 0.5) * sx - 0.5, (y + 0.5) * sy - 0.5, sample);
            }
            std::uint8_t* out = target.Pixel(left + x, top + y);
            out[0] = sample[0];
            out[1] = sample[1];
            out[2] = sample[2];
            out[3] = 255;
        }
    }
    return target;
}

void ToRgb565(const RgbaImage& image, std::span<std::uint8_t> out) {
    const std::size_t pixels = std::min(out.size() / 2, image.rgba.size() / 4);
    const std::uint8_t* p = image.rgba.data();
    std::uint8_t* o = out.data();
    for (std::size_t i = 0; i < pixels; ++i, p += 4, o += 2) {
        // Rounded as FitPicture rounds, so a picture already at the screen's size comes out the
        // same whether or not it went through FitPicture; exact for alpha 0 and 255, and without
        // a branch, so the loop vectorises.
        const unsigned alpha = p[3];
        const auto over = [alpha](unsigned c) { return (c * alpha + 127) / 255; };
        const unsigned value = (over(p[0]) >> 3) << 11 | (over(p[1]) >> 2) << 5 | over(p[2]) >> 3;
        o[0] = static_cast<std::uint8_t>(value >> 8);
        o[1] = static_cast<std::uint8_t>(value & 0xFF);
    }
}

void FitToRgb565(const RgbaImage& picture, int width, int height, std::span<std::uint8_t> out) {
    if (picture.width == width && picture.height == height) {
        ToRgb565(picture, out);  // already the screen's size: nothing to scale or pad
    } else {
        ToRgb565(FitPicture(picture, width, height), out);
    }
}

bool GetImageRGB565Data(const std::string& path, std::span<std::uint8_t> out, int width, int height,
                        std::string* error) {
    RgbaImage image;
    if (width <= 0 || height <= 0 || out.size() < static_cast<std::size_t>(width) * height * 2 ||
        !DecodePictureFile(path, image, error)) {
        return false;
    }
    FitToRgb565(image, width, height, out);
    return true;
}

}  // namespace zephyl
