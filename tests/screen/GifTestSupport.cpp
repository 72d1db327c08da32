// SPDX-License-Identifier: GPL-2.0-or-later
#include "GifTestSupport.h"

namespace zephyl::test {
namespace {

std::vector<GifColorType> PowerOfTwo(std::vector<GifColorType> palette) {
    std::size_t size = 2;
    while (size < palette.size()) {
        size *= 2;
    }
    palette.resize(size, GifColorType{0, 0, 0});
    return palette;
}

}  // namespace

bool WriteTestGif(const std::string& path, int width, int height,
                  const std::vector<GifColorType>& palette,
                  const std::vector<TestGifFrame>& frames) {
    int status = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &status);
    if (!gif) {
        return false;
    }
    std::vector<GifColorType> global = PowerOfTwo(palette);
    ColorMapObject* globalMap = GifMakeMapObject(static_cast<int>(global.size()), global.data());
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, globalMap) == GIF_OK;
    GifFreeMapObject(globalMap);
    for (const TestGifFrame& frame : frames) {
        if (frame.control) {
            GraphicsControlBlock control{};
            control.DisposalMode = frame.disposal;
            control.DelayTime = frame.delayCs;
            control.TransparentColor = frame.transparent;
            GifByteType extension[4];
            const std::size_t length = EGifGCBToExtension(&control, extension);
            ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length),
                                        extension) == GIF_OK;
        }
        ColorMapObject* local = nullptr;
        if (!frame.localPalette.empty()) {
            std::vector<GifColorType> colours = PowerOfTwo(frame.localPalette);
            local = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
        }
        ok = ok && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height,
                                    frame.interlaced, local) == GIF_OK;
        if (local) {
            GifFreeMapObject(local);
        }
        std::vector<int> rows;
        if (frame.interlaced) {
            // An interlaced frame travels in four passes; the writer sends rows as given.
            const int starts[] = {0, 4, 2, 1};
            const int steps[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass) {
                for (int y = starts[pass]; y < frame.height; y += steps[pass]) {
                    rows.push_back(y);
                }
            }
        } else {
            for (int y = 0; y < frame.height; ++y) {
                rows.push_back(y);
            }
        }
        for (const int y : rows) {
            std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
            for (int x = 0; x < frame.width; ++x) {
                line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(
                    frame.indexes[static_cast<std::size_t>(y * frame.width + x)]);
            }
            ok = ok && EGifPutLine(gif, line.data(), frame.width) == GIF_OK;
        }
        // giflib keeps its copy of a frame's local palette until the next frame brings one; a
        // next frame without one would drop the copy unfreed, so it goes with its frame.
        if (gif->Image.ColorMap != nullptr) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
    }
    return EGifCloseFile(gif, &status) == GIF_OK && ok;
}

}  // namespace zephyl::test
