// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/GifCodec.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <limits>
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

std::unique_ptr<GifFileType, GifCloser> OpenGif(MemoryReader& reader, std::string* error) {
    int status = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &status));
    if (!gif) {
        SetError(error, std::string("not a GIF: ") + GifErrorString(status));
    }
    return gif;
}

/// One frame as the survey found it.
struct SurveyedFrame {
    GraphicsControlBlock control{};
    int width = 0;
    int height = 0;
};

std::string Megapixels(std::uint64_t pixels) {
    return std::to_string(pixels / (1024 * 1024)) + " megapixels";
}

/// Reads every record of the GIF without its pixels and checks what it declares against the
/// budget; the frames to draw are the first `mostFrames` of `frames`.
bool Survey(std::span<const std::uint8_t> bytes, int mostFrames, int& width, int& height,
            std::vector<SurveyedFrame>& frames, std::string* error) {
    MemoryReader reader{bytes, 0};
    const std::unique_ptr<GifFileType, GifCloser> gif = OpenGif(reader, error);
    if (!gif) {
        return false;
    }
    width = gif->SWidth;
    height = gif->SHeight;
    const std::uint64_t canvas = static_cast<std::uint64_t>(std::max(0, width)) *
                                 static_cast<std::uint64_t>(std::max(0, height));
    if (canvas == 0) {
        SetError(error, "GIF without pictures");
        return false;
    }
    if (canvas > kMostGifCanvasPixels) {
        SetError(error, std::string(kPictureOverBudget) + "a GIF of " + std::to_string(width) +
                            " x " + std::to_string(height) + " pixels, more than the " +
                            Megapixels(kMostGifCanvasPixels) + " a GIF may have");
        return false;
    }
    GraphicsControlBlock pending{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    std::uint64_t drawn = 0;
    bool damaged = false;
    for (bool more = true; more && !damaged;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) != GIF_OK) {
            damaged = true;
            break;
        }
        switch (type) {
            case EXTENSION_RECORD_TYPE: {
                int code = 0;
                GifByteType* block = nullptr;
                damaged = DGifGetExtension(gif.get(), &code, &block) != GIF_OK;
                if (!damaged && code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                    DGifExtensionToGCB(block[0], block + 1, &pending);
                }
                while (!damaged && block) {
                    damaged = DGifGetExtensionNext(gif.get(), &block) != GIF_OK;
                }
                break;
            }
            case IMAGE_DESC_RECORD_TYPE: {
                if (DGifGetImageDesc(gif.get()) != GIF_OK) {
                    damaged = true;
                    break;
                }
                if (static_cast<int>(frames.size()) >= kMostGifFrames) {
                    SetError(error, std::string(kPictureOverBudget) + "more than the " +
                                        std::to_string(kMostGifFrames) + " frames a GIF may have");
                    return false;
                }
                const GifImageDesc& desc = gif->Image;
                frames.push_back({pending, desc.Width, desc.Height});
                pending =
                    GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
                if (static_cast<int>(frames.size()) <= mostFrames) {
                    // Decoding costs the frame's own pixels, fitting it the canvas's.
                    drawn += static_cast<std::uint64_t>(std::max(0, desc.Width)) *
                                 static_cast<std::uint64_t>(std::max(0, desc.Height)) +
                             canvas;
                    if (drawn > kMostGifPixels) {
                        SetError(error, std::string(kPictureOverBudget) + "GIF frames of " +
                                            std::to_string(width) + " x " + std::to_string(height) +
                                            " pixels beyond the " + Megapixels(kMostGifPixels) +
                                            " all frames of a GIF may have together");
                        return false;
                    }
                }
                int codeSize = 0;
                GifByteType* block = nullptr;
                damaged = DGifGetCode(gif.get(), &codeSize, &block) != GIF_OK;
                while (!damaged && block) {
                    damaged = DGifGetCodeNext(gif.get(), &block) != GIF_OK;
                }
                break;
            }
            case TERMINATE_RECORD_TYPE:
                more = false;
                break;
            default:
                break;
        }
    }
    // A file cut short still shows the frames that began before the damage.
    if (frames.empty()) {
        SetError(error, damaged ? std::string("damaged GIF: ") + GifErrorString(gif->Error)
                                : std::string("GIF without pictures"));
        return false;
    }
    return true;
}

/// The colours of the frame just opened: indexes past the palette's end draw nothing, like the
/// transparent one.
struct FramePalette {
    std::array<std::array<std::uint8_t, 4>, 256> colours{};
    std::array<bool, 256> drawn{};
};

void MakePalette(const GifFileType& gif, int transparent, FramePalette& palette) {
    palette = FramePalette{};
    const ColorMapObject* map = gif.Image.ColorMap ? gif.Image.ColorMap : gif.SColorMap;
    if (!map) {
        return;
    }
    for (int index = 0; index < std::min(map->ColorCount, 256); ++index) {
        const GifColorType& colour = map->Colors[index];
        palette.colours[static_cast<std::size_t>(index)] = {colour.Red, colour.Green, colour.Blue,
                                                            255};
        palette.drawn[static_cast<std::size_t>(index)] = index != transparent;
    }
}

/// Paints row `row` of the open frame onto the canvas, leaving transparent pixels as they were.
void DrawRow(const GifImageDesc& desc, int row, const GifPixelType* in, const FramePalette& palette,
             RgbaImage& canvas) {
    const int y = desc.Top + row;
    if (y < 0 || y >= canvas.height) {
        return;
    }
    const int left = std::max(0, desc.Left);
    const int right = std::min(canvas.width, desc.Left + desc.Width);
    in += left - desc.Left;
    std::uint8_t* out = left < right ? canvas.Pixel(left, y) : nullptr;
    for (int x = left; x < right; ++x, out += 4) {
        const GifPixelType index = *in++;
        if (palette.drawn[index]) {
            std::memcpy(out, palette.colours[index].data(), 4);
        }
    }
}

/// The display rows of a frame in the order its lines arrive: interlaced frames come in four
/// passes.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(std::max(0, height)));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) {
            rows.push_back(y);
        }
        return rows;
    }
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < height; y += steps[pass]) {
            rows.push_back(y);
        }
    }
    return rows;
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

bool InspectGif(std::span<const std::uint8_t> bytes, std::string* error, int mostFrames) {
    int width = 0;
    int height = 0;
    std::vector<SurveyedFrame> frames;
    return Survey(bytes, mostFrames, width, height, frames, error);
}

bool DecodeGifFrames(std::span<const std::uint8_t> bytes, const GifFrameSink& sink,
                     std::string* error) {
    int width = 0;
    int height = 0;
    std::vector<SurveyedFrame> surveyed;
    if (!Survey(bytes, sink.mostFrames, width, height, surveyed, error)) {
        return false;
    }
    std::vector<int> delays;
    for (const SurveyedFrame& frame : surveyed) {
        const int centiseconds = frame.control.DelayTime;
        delays.push_back(centiseconds <= 1 ? kGifDefaultDelayMs : centiseconds * 10);
    }
    if (sink.begin) {
        sink.begin(width, height, delays);
    }
    const int count = std::min(static_cast<int>(surveyed.size()), std::max(0, sink.mostFrames));
    MemoryReader reader{bytes, 0};
    const std::unique_ptr<GifFileType, GifCloser> gif = OpenGif(reader, error);
    if (!gif) {
        return false;
    }
    RgbaImage canvas(width, height);
    RgbaImage saved;
    FramePalette palette;
    std::vector<GifPixelType> line;
    for (int index = 0; index < count;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) != GIF_OK || type == TERMINATE_RECORD_TYPE) {
            break;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            bool ok = DGifGetExtension(gif.get(), &code, &block) == GIF_OK;
            while (ok && block) {
                ok = DGifGetExtensionNext(gif.get(), &block) == GIF_OK;
            }
            if (!ok) {
                break;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) != GIF_OK) {
            break;
        }
        const GraphicsControlBlock& control = surveyed[static_cast<std::size_t>(index)].control;
        const GifImageDesc desc = gif->Image;
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            saved = canvas;
        }
        MakePalette(*gif, control.TransparentColor, palette);
        line.assign(static_cast<std::size_t>(std::max(0, desc.Width)), 0);
        // A frame cut short by a damaged file still shows what arrived; nothing follows it.
        bool whole = true;
        for (const int row : RowOrder(desc.Height, desc.Interlace)) {
            if (DGifGetLine(gif.get(), line.data(), desc.Width) != GIF_OK) {
                whole = false;
                break;
            }
            DrawRow(desc, row, line.data(), palette, canvas);
        }
        if (sink.frame && !sink.frame(index, canvas)) {
            break;
        }
        if (!whole) {
            break;
        }
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            ClearRect(desc, canvas);
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            std::swap(canvas, saved);
        }
        ++index;
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
    return ReadFileBytes(path, bytes, error) && DecodeGif(bytes, animation, error);
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
                     std::vector<int>& delaysMs, std::string* error, int fitWidth, int fitHeight) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(gifPath, bytes, error)) {
        return 0;
    }
    std::string base = folder;
    if (!base.empty() && base.back() != '/') {
        base += '/';
    }
    std::vector<int> delays;
    int written = 0;
    bool failed = false;
    GifFrameSink sink;
    sink.begin = [&delays](int, int, const std::vector<int>& delaysMs) { delays = delaysMs; };
    sink.frame = [&](int k, const RgbaImage& canvas) {
        // Each frame is written as it is drawn: a long GIF never has more than one in memory.
        const bool fit =
            fitWidth > 0 && fitHeight > 0 && (canvas.width > fitWidth || canvas.height > fitHeight);
        if (!WritePng(base + std::to_string(k) + ".png",
                      fit ? FitPicture(canvas, fitWidth, fitHeight) : canvas)) {
            failed = true;
            return false;
        }
        written = k + 1;
        return true;
    };
    if (!DecodeGifFrames(bytes, sink, error)) {
        return 0;
    }
    if (failed || written == 0) {
        SetError(error, "cannot write the frames into " + folder);
        return 0;
    }
    delays.resize(static_cast<std::size_t>(written));
    delaysMs = std::move(delays);
    return written;
}

}  // namespace zephyl
