// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/Picture.h"

#include "platform/FileSystem.h"
#include "screen/GifCodec.h"

#include <png.h>
// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>
#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <csetjmp>
#include <cstring>

namespace zephyl {
namespace {

void SetError(std::string* error, const std::string& text) {
    if (error) {
        *error = text;
    }
}

std::string Megapixels(std::uint64_t pixels) {
    return std::to_string(pixels / (1024 * 1024)) + " megapixels";
}

/// The refusal of a still picture of `width` × `height`; empty when it is within the budget.
std::string StillOverBudget(std::uint64_t width, std::uint64_t height) {
    if (width * height <= kMostPicturePixels) {
        return {};
    }
    return std::string(kPictureOverBudget) + std::to_string(width) + " x " +
           std::to_string(height) + " pixels, more than the " + Megapixels(kMostPicturePixels) +
           " a picture may have";
}

bool DecodePng(std::span<const std::uint8_t> bytes, RgbaImage& image, bool headerOnly,
               std::string* error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        SetError(error, std::string("damaged PNG: ") + png.message);
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    if (png.width == 0 || png.height == 0) {
        png_image_free(&png);
        SetError(error, "PNG of unusable size");
        return false;
    }
    // Checked before the picture's memory is taken: the header alone may declare gigabytes.
    if (const std::string refusal = StillOverBudget(png.width, png.height); !refusal.empty()) {
        png_image_free(&png);
        SetError(error, refusal);
        return false;
    }
    if (headerOnly) {
        png_image_free(&png);
        return true;
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

/// libjpeg's own memory for one picture (a progressive JPEG keeps all its coefficients); past
/// it the decode fails rather than grows.
constexpr long kJpegMemory = 64L * 1024 * 1024;
/// Real progressive JPEGs have about ten scans; a few hundred bytes can declare thousands, each
/// a pass over the whole picture.
constexpr int kMostJpegScans = 100;
/// libjpeg's message with a few words in front.
constexpr std::size_t kJpegMessageLength = JMSG_LENGTH_MAX + 32;

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

/// Warnings of a damaged file are not for the terminal: the caller says what went wrong.
void JpegQuiet(j_common_ptr) {}

void JpegProgress(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMostJpegScans) {
        auto* failure = reinterpret_cast<JpegError*>(info->err);
        std::snprintf(failure->message, JMSG_LENGTH_MAX, "more than %d scans", kMostJpegScans);
        std::longjmp(failure->jump, 1);
    }
}

/// The largest reduction libjpeg offers (1/1 .. 1/8) that still gives at least the size the
/// picture is fitted to; 1 when it is not fitted.
unsigned JpegReduction(unsigned width, unsigned height, int fitWidth, int fitHeight) {
    if (fitWidth <= 0 || fitHeight <= 0) {
        return 1;
    }
    const double reduction =
        std::max(static_cast<double>(width) / fitWidth, static_cast<double>(height) / fitHeight);
    unsigned denominator = 1;
    while (denominator < 8 && denominator * 2 <= reduction) {
        denominator *= 2;
    }
    return denominator;
}

// Kept apart from anything with a destructor: longjmp must not skip one. `rgba` is only
// resized between the jumps' set-up and the first call that can jump after it.
bool DecodeJpegInto(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& rgba,
                    int& width, int& height, int fitWidth, int fitHeight, bool headerOnly,
                    char* message) {
    jpeg_decompress_struct info{};
    JpegError failure{};
    jpeg_progress_mgr progress{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegFail;
    failure.manager.output_message = JpegQuiet;
    if (setjmp(failure.jump)) {
        if (failure.manager.msg_code == JERR_NO_BACKING_STORE) {
            // libjpeg needed more than its memory allows, which only a huge progressive JPEG does.
            std::snprintf(message, kJpegMessageLength,
                          "%sa progressive JPEG needing more than %ld MB to decode",
                          kPictureOverBudget, kJpegMemory / (1024 * 1024));
        } else {
            std::snprintf(message, kJpegMessageLength, "damaged JPEG: %s", failure.message);
        }
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kJpegMemory;
    progress.progress_monitor = JpegProgress;
    info.progress = &progress;
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0) {
        std::snprintf(message, kJpegMessageLength, "JPEG of unusable size");
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (const std::string refusal = StillOverBudget(info.image_width, info.image_height);
        !refusal.empty()) {
        std::snprintf(message, kJpegMessageLength, "%s", refusal.c_str());
        jpeg_destroy_decompress(&info);
        return false;
    }
    // A progressive JPEG is decoded from all its coefficients at once: 128 bytes a block of
    // every component, counted here from the header instead of found out by running short.
    std::uint64_t coefficients = 0;
    for (int c = 0; c < info.num_components; ++c) {
        coefficients += static_cast<std::uint64_t>(info.comp_info[c].width_in_blocks) *
                        info.comp_info[c].height_in_blocks * 128;
    }
    if (jpeg_has_multiple_scans(&info) && coefficients > static_cast<std::uint64_t>(kJpegMemory)) {
        std::snprintf(message, kJpegMessageLength,
                      "%sa progressive JPEG needing more than %ld MB to decode", kPictureOverBudget,
                      kJpegMemory / (1024 * 1024));
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (headerOnly) {
        jpeg_destroy_decompress(&info);
        return true;
    }
    info.out_color_space = JCS_EXT_RGBA;
    info.scale_num = 1;
    info.scale_denom = JpegReduction(info.image_width, info.image_height, fitWidth, fitHeight);
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    rgba.resize(static_cast<std::size_t>(width) * height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgba.data() + static_cast<std::size_t>(info.output_scanline) * width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool DecodeJpeg(std::span<const std::uint8_t> bytes, RgbaImage& image, int fitWidth, int fitHeight,
                bool headerOnly, std::string* error) {
    std::vector<std::uint8_t> rgba;
    int width = 0;
    int height = 0;
    char message[kJpegMessageLength] = {};
    if (!DecodeJpegInto(bytes, rgba, width, height, fitWidth, fitHeight, headerOnly, message)) {
        SetError(error, message);
        return false;
    }
    if (!headerOnly) {
        image.width = width;
        image.height = height;
        image.rgba = std::move(rgba);
    }
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
bool DecodeBmp(std::span<const std::uint8_t> bytes, RgbaImage& image, bool headerOnly,
               std::string* error) {
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
    // The most negative height has no positive twin; it is refused as no height at all.
    const int height = topDown ? (rawHeight == INT32_MIN ? 0 : -rawHeight) : rawHeight;
    if (width <= 0 || height <= 0 || (compression != 0 && !(compression == 3 && bits == 32))) {
        SetError(error, "BMP of a kind this program does not read");
        return false;
    }
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        SetError(error, "BMP of a kind this program does not read");
        return false;
    }
    if (const std::string refusal =
            StillOverBudget(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
        !refusal.empty()) {
        SetError(error, refusal);
        return false;
    }
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    if (dataOffset + stride * height > bytes.size()) {
        SetError(error, "damaged BMP");
        return false;
    }
    if (headerOnly) {
        return true;
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

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string* error) {
    switch (ReadRegularFile(path, kMostPictureFileBytes, bytes)) {
        case FileReadStatus::kRead:
            return true;
        case FileReadStatus::kNotRegularFile:
            SetError(error, kPictureNotRegularFile);
            return false;
        case FileReadStatus::kTooLarge:
            SetError(error, std::string(kPictureOverBudget) + "larger than the " +
                                std::to_string(kMostPictureFileBytes / (1024 * 1024)) +
                                " MB a picture file may have");
            return false;
        case FileReadStatus::kMissing:
        case FileReadStatus::kUnreadable:
            break;
    }
    SetError(error, "cannot be read");
    return false;
}

namespace {

/// Decodes, or with `headerOnly` only checks, a picture; a picture fitted to `fitWidth` ×
/// `fitHeight` comes back at that size.
bool Decode(std::span<const std::uint8_t> bytes, int fitWidth, int fitHeight, bool headerOnly,
            int mostFrames, RgbaImage& image, std::string* error) {
    RgbaImage decoded;
    bool done = false;
    switch (SniffPictureFormat(bytes)) {
        case PictureFormat::kPng:
            done = DecodePng(bytes, decoded, headerOnly, error);
            break;
        case PictureFormat::kJpeg:
            done = DecodeJpeg(bytes, decoded, fitWidth, fitHeight, headerOnly, error);
            break;
        case PictureFormat::kBmp:
            done = DecodeBmp(bytes, decoded, headerOnly, error);
            break;
        case PictureFormat::kGif: {
            if (headerOnly) {
                return InspectGif(bytes, error, mostFrames);
            }
            GifFrameSink sink;
            sink.mostFrames = 1;
            sink.frame = [&](int, const RgbaImage& canvas) {
                // The canvas is reused by the decoder; only the fitted copy is kept.
                decoded = fitWidth > 0 ? FitPicture(canvas, fitWidth, fitHeight) : canvas;
                return false;
            };
            done = DecodeGifFrames(bytes, sink, error);
            if (done && decoded.Empty()) {
                SetError(error, "GIF without pictures");
                done = false;
            }
            if (done) {
                image = std::move(decoded);
            }
            return done;
        }
        case PictureFormat::kUnknown:
            SetError(error, "not a PNG, JPEG, BMP or GIF picture");
            return false;
    }
    if (!done || headerOnly) {
        return done;
    }
    // Fitted even at the screen's own size: the result is opaque, laid over black as shown.
    image = fitWidth > 0 ? FitPicture(decoded, fitWidth, fitHeight) : std::move(decoded);
    return true;
}

}  // namespace

bool InspectPicture(std::span<const std::uint8_t> bytes, std::string* error, int mostFrames) {
    RgbaImage unused;
    return Decode(bytes, 0, 0, true, mostFrames, unused, error);
}

bool InspectPictureFile(const std::string& path, std::string* error, int mostFrames) {
    std::vector<std::uint8_t> bytes;
    return ReadFileBytes(path, bytes, error) && InspectPicture(bytes, error, mostFrames);
}

bool DecodePicture(std::span<const std::uint8_t> bytes, RgbaImage& image, std::string* error) {
    return Decode(bytes, 0, 0, false, 1, image, error);
}

bool DecodePictureFile(const std::string& path, RgbaImage& image, std::string* error) {
    std::vector<std::uint8_t> bytes;
    return ReadFileBytes(path, bytes, error) && DecodePicture(bytes, image, error);
}

bool DecodeFittedPicture(std::span<const std::uint8_t> bytes, int width, int height,
                         RgbaImage& image, std::string* error) {
    if (width <= 0 || height <= 0) {
        SetError(error, "no size to fit the picture to");
        return false;
    }
    return Decode(bytes, width, height, false, 1, image, error);
}

bool DecodeFittedPictureFile(const std::string& path, int width, int height, RgbaImage& image,
                             std::string* error) {
    std::vector<std::uint8_t> bytes;
    return ReadFileBytes(path, bytes, error) &&
           DecodeFittedPicture(bytes, width, height, image, error);
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
        !DecodeFittedPictureFile(path, width, height, image, error)) {
        return false;
    }
    ToRgb565(image, out);
    return true;
}

}  // namespace zephyl
