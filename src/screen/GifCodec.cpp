// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/GifCodec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

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
    if (!map || !frame.RasterBits) {
        return;
    }
    for (int y = 0; y < desc.Height; ++y) {
        const int cy = desc.Top + y;
        if (cy < 0 || cy >= canvas.height) {
            continue;
        }
        for (int x = 0; x < desc.Width; ++x) {
            const int cx = desc.Left + x;
            const int index = frame.RasterBits[static_cast<std::size_t>(y) * desc.Width + x];
            if (cx < 0 || cx >= canvas.width || index == transparent || index >= map->ColorCount) {
                continue;
            }
            const GifColorType& colour = map->Colors[index];
            std::uint8_t* out = canvas.Pixel(cx, cy);
            out[0] = colour.Red;
            out[1] = colour.Green;
            out[2] = colour.Blue;
            out[3] = 255;
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

bool DecodeGif(std::span<const std::uint8_t> bytes, GifAnimation& animation, std::string* error) {
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
    if (gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > 16384 || gif->SHeight > 16384 ||
        gif->ImageCount <= 0) {
        SetError(error, "GIF without pictures");
        return false;
    }
    GifAnimation result;
    result.width = gif->SWidth;
    result.height = gif->SHeight;
    RgbaImage canvas(result.width, result.height);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        // A frame cut short by a damaged file still shows what arrived; one with no pixels ends.
        if (!frame.RasterBits) {
            break;
        }
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        const bool hasControl = DGifSavedExtensionToGCB(gif.get(), i, &control) == GIF_OK;
        std::optional<RgbaImage> saved;
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            saved = canvas;
        }
        DrawFrame(*gif, frame, control.TransparentColor, canvas);
        result.frames.push_back(canvas);
        const int centiseconds = hasControl ? control.DelayTime : 0;
        result.delaysMs.push_back(centiseconds <= 1 ? kGifDefaultDelayMs : centiseconds * 10);
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            ClearRect(frame.ImageDesc, canvas);
        } else if (saved) {
            canvas = std::move(*saved);
        }
    }
    if (result.frames.empty()) {
        SetError(error, "GIF without pictures");
        return false;
    }
    animation = std::move(result);
    return true;
}

bool DecodeGifFile(const std::string& path, GifAnimation& animation, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) {
        SetError(error, "cannot read " + path);
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
