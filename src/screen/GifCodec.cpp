// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/GifCodec.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

namespace zephyl {
namespace {

void SetError(std::string* error, const std::string& text) {
    if (error) {
        *error = text;
    }
}

struct MemoryReader {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(0, length)),
                                       reader->bytes.size() - reader->position);
    std::memcpy(buffer, reader->bytes.data() + reader->position, count);
    reader->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};

/// Paints one frame of the GIF onto the canvas, leaving transparent pixels as they were.
void DrawFrame(const GifFileType& gif, const SavedImage& frame, int transparent,
               RgbaImage& canvas) {
    const GifImageDesc& desc = frame.ImageDesc;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif.SColorMap;
    if (!map || !frame.RasterBits || desc.Width <= 0) {
        return;
    }
    // One table look-up a pixel: indexes past the palette's end draw nothing, like the
    // transparent one.
    std::array<std::array<std::uint8_t, 4>, 256> colours{};
    std::array<bool, 256> drawn{};
    for (int index = 0; index < std::min(map->ColorCount, 256); ++index) {
        const GifColorType& colour = map->Colors[index];
        colours[static_cast<std::size_t>(index)] = {colour.Red, colour.Green, colour.Blue, 255};
        drawn[static_cast<std::size_t>(index)] = index != transparent;
    }
    const int left = std::max(0, desc.Left);
    const int right = std::min(canvas.width, desc.Left + desc.Width);
    const int top = std::max(0, desc.Top);
    const int bottom = std::min(canvas.height, desc.Top + desc.Height);
    for (int y = top; y < bottom; ++y) {
        const GifByteType* in = frame.RasterBits +
                                static_cast<std::size_t>(y - desc.Top) * desc.Width +
                                (left - desc.Left);
        std::uint8_t* out = canvas.Pixel(left, y);
        for (int x = left; x < right; ++x, out += 4) {
            const GifByteType index = *in++;
            if (drawn[index]) {
                std::memcpy(out, colours[index].data(), 4);
            }
        }
    }
}

void ClearRect(const GifImageDesc& desc, RgbaImage& canvas) {
    for (int y = std::max(0, desc.Top); y < std::min(canvas.height, desc.Top + desc.Height); ++y) {
        for (int x = std::max(0, desc.Left); x < std::min(canvas.width, desc.Left + desc.Width);
             ++x) {
            std::memset(canvas.Pixel(x, y), 0, 4);
        }
    }
}

}  // namespace

bool DecodeGifFrames(std::span<const std::uint8_t> bytes, const GifFrameSink& sink,
                     std::string* error) {
    MemoryReader reader{bytes, 0};
    int status = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &status));
    if (!gif) {
        SetError(error, std::string("not a GIF: ") + GifErrorString(status));
        return false;
    }
    // giflib reads interlaced frames into display order itself.
    if (DGifSlurp(gif.get()) != GIF_OK && gif->ImageCount == 0) {
        SetError(error, std::string("damaged GIF: ") + GifErrorString(gif->Error));
        return false;
    }
    // A frame cut short by a damaged file still shows what arrived; one with no pixels ends.
    int count = 0;
    while (count < gif->ImageCount && gif->SavedImages[count].RasterBits) {
        ++count;
    }
    if (gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > 16384 || gif->SHeight > 16384 ||
        count <= 0) {
        SetError(error, "GIF without pictures");
        return false;
    }
    std::vector<GraphicsControlBlock> controls(static_cast<std::size_t>(count));
    std::vector<int> delays(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        GraphicsControlBlock& control = controls[static_cast<std::size_t>(i)];
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        const bool hasControl = DGifSavedExtensionToGCB(gif.get(), i, &control) == GIF_OK;
        const int centiseconds = hasControl ? control.DelayTime : 0;
        delays[static_cast<std::size_t>(i)] =
            centiseconds <= 1 ? kGifDefaultDelayMs : centiseconds * 10;
    }
    if (sink.begin) {
        sink.begin(gif->SWidth, gif->SHeight, delays);
    }
    RgbaImage canvas(gif->SWidth, gif->SHeight);
    RgbaImage saved;
    for (int i = 0; i < count; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        const GraphicsControlBlock& control = controls[static_cast<std::size_t>(i)];
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            saved = canvas;
        }
        DrawFrame(*gif, frame, control.TransparentColor, canvas);
        if (sink.frame && !sink.frame(i, canvas)) {
            break;
        }
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            ClearRect(frame.ImageDesc, canvas);
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            std::swap(canvas, saved);
        }
    }
    return true;
}

bool DecodeGif(std::span<const std::uint8_t> bytes, GifAnimation& animation, std::string* error) {
    GifAnimation result;
    GifFrameSink sink;
    sink.begin = [&result](int width, int height, const std::vector<int>& delaysMs) {
        result.width = width;
        result.height = height;
        result.delaysMs = delaysMs;
        result.frames.reserve(delaysMs.size());
    };
    sink.frame = [&result](int, const RgbaImage& canvas) {
        result.frames.push_back(canvas);
        return true;
    };
    if (!DecodeGifFrames(bytes, sink, error)) {
        return false;
    }
    animation = std::move(result);
    return true;
}

bool DecodeGifFile(const std::string& path, GifAnimation& animation, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) {
        SetError(error, "cannot be read");
        return false;
    }
    return DecodeGif(bytes, animation, error);
}

bool EncodeGifFile(const std::string& path, std::span<const RgbaImage> frames,
                   std::span<const int> delaysMs, int width, int height, std::string* error) {
    if (frames.empty() || width <= 0 || height <= 0) {
        SetError(error, "nothing to write");
        return false;
    }
    int status = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &status);
    if (!gif) {
        SetError(error, std::string("cannot write ") + path + ": " + GifErrorString(status));
        return false;
    }
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK;
    // NETSCAPE2.0 loop extension: play forever.
    static const GifByteType kLoopName[] = {'N', 'E', 'T', 'S', 'C', 'A',
                                            'P', 'E', '2', '.', '0', '.'};
    static const GifByteType kLoopForever[] = {0x01, 0x00, 0x00};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, kLoopName) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, kLoopForever) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    std::vector<GifByteType> red(pixels), green(pixels), blue(pixels), indexes(pixels);
    for (std::size_t f = 0; ok && f < frames.size(); ++f) {
        const RgbaImage fitted = frames[f].width == width && frames[f].height == height
                                     ? frames[f]
                                     : FitPicture(frames[f], width, height);
        for (std::size_t i = 0; i < pixels; ++i) {
            const std::uint8_t* p = fitted.rgba.data() + i * 4;
            red[i] = static_cast<GifByteType>(p[0] * p[3] / 255);
            green[i] = static_cast<GifByteType>(p[1] * p[3] / 255);
            blue[i] = static_cast<GifByteType>(p[2] * p[3] / 255);
        }
        int colours = 256;
        std::vector<GifColorType> palette(256);
        ok = GifQuantizeBuffer(static_cast<unsigned>(width), static_cast<unsigned>(height),
                               &colours, red.data(), green.data(), blue.data(), indexes.data(),
                               palette.data()) == GIF_OK;
        ColorMapObject* map = ok ? GifMakeMapObject(256, palette.data()) : nullptr;
        ok = ok && map;
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        const int delay = f < delaysMs.size() ? delaysMs[f] : kGifDefaultDelayMs;
        control.DelayTime = std::max(2, (delay + 5) / 10);
        GifByteType extension[4];
        const std::size_t length = ok ? EGifGCBToExtension(&control, extension) : 0;
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length),
                                    extension) == GIF_OK;
        ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, map) == GIF_OK;
        for (int y = 0; ok && y < height; ++y) {
            ok = EGifPutLine(gif, indexes.data() + static_cast<std::size_t>(y) * width, width) ==
                 GIF_OK;
        }
        if (map) {
            GifFreeMapObject(map);
        }
    }
    if (EGifCloseFile(gif, &status) != GIF_OK) {
        ok = false;
    }
    if (!ok) {
        SetError(error, "cannot write " + path);
    }
    return ok;
}

int LoadGIFImageFile(const std::string& gifPath, const std::string& folder,
                     std::vector<int>& delaysMs, std::string* error) {
    GifAnimation animation;
    if (!DecodeGifFile(gifPath, animation, error)) {
        return 0;
    }
    std::string base = folder;
    if (!base.empty() && base.back() != '/') {
        base += '/';
    }
    for (std::size_t k = 0; k < animation.frames.size(); ++k) {
        if (!WritePng(base + std::to_string(k) + ".png", animation.frames[k])) {
            SetError(error, "cannot write the frames into " + folder);
            return 0;
        }
    }
    delaysMs = animation.delaysMs;
    return static_cast<int>(animation.frames.size());
}

}  // namespace zephyl
