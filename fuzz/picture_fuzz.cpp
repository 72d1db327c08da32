// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer target for the picture decoders: any bytes are checked from their headers, decoded
// whole, decoded fitted to a small screen and split frame by frame as an upload splits a GIF.
// Nothing may be made larger than the budget of screen/Picture.h allows. Seeds: the files of
// tools/malformed_files.py. Build with clang (see tools/soak.sh):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src fuzz/picture_fuzz.cpp \
//       src/screen/Picture.cpp src/screen/GifCodec.cpp src/platform/FileSystem.cpp \
//       -lpng -ljpeg -lgif
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "screen/GifCodec.h"
#include "screen/Picture.h"

namespace {

constexpr int kScreenWidth = 32;
constexpr int kScreenHeight = 24;
constexpr int kUploadFrames = 16;

std::uint64_t Area(const zephyl::RgbaImage& image) {
    return static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    std::string error;
    const bool inspected = zephyl::InspectPicture(bytes, &error);
    zephyl::RgbaImage image;
    const bool decoded = zephyl::DecodePicture(bytes, image, &error);
    if (decoded && (image.Empty() || Area(image) > zephyl::kMostPicturePixels)) {
        std::abort();  // an empty picture called decoded, or one past the budget
    }
    // A still picture that decodes passed the header check first; a GIF is checked for all its
    // frames there, of which a still picture is only the first.
    if (decoded && !inspected && zephyl::SniffPictureFormat(bytes) != zephyl::PictureFormat::kGif) {
        std::abort();
    }
    zephyl::RgbaImage fitted;
    if (zephyl::DecodeFittedPicture(bytes, kScreenWidth, kScreenHeight, fitted, &error) &&
        (fitted.width != kScreenWidth || fitted.height != kScreenHeight)) {
        std::abort();
    }
    zephyl::GifFrameSink sink;
    sink.mostFrames = kUploadFrames;
    int frames = 0;
    std::size_t delays = 0;
    sink.begin = [&delays](int, int, const std::vector<int>& delaysMs) {
        delays = delaysMs.size();
    };
    sink.frame = [&frames](int, const zephyl::RgbaImage& canvas) {
        if (Area(canvas) > zephyl::kMostGifCanvasPixels) {
            std::abort();
        }
        ++frames;
        return true;
    };
    if (zephyl::DecodeGifFrames(bytes, sink, &error) &&
        (frames > kUploadFrames || delays > static_cast<std::size_t>(zephyl::kMostGifFrames))) {
        std::abort();
    }
    return 0;
}
