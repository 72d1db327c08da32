// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Small GIFs written by the tests themselves, frame by frame, with giflib.

#include <gif_lib.h>

#include <string>
#include <vector>

namespace zephyl::test {

struct TestGifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<GifColorType> localPalette;  ///< empty: the global one
    std::vector<int> indexes;                ///< width · height, rows in display order
    int transparent = NO_TRANSPARENT_COLOR;
    int disposal = DISPOSE_DO_NOT;
    int delayCs = 10;
    bool interlaced = false;
    bool control = true;  ///< false: no graphics control block at all
};

/// Writes a GIF of `width` × `height` with a global palette; false when giflib refuses.
bool WriteTestGif(const std::string& path, int width, int height,
                  const std::vector<GifColorType>& palette,
                  const std::vector<TestGifFrame>& frames);

}  // namespace zephyl::test
