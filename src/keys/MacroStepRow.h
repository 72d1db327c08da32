// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

// Step types of a macro.
inline constexpr int kStepRepeat = 0;  ///< a press of a key that was already down
inline constexpr int kStepKeyDown = 2;
inline constexpr int kStepKeyUp = 3;
inline constexpr int kStepButtonDown = 4;
inline constexpr int kStepButtonUp = 5;

// Mouse step values: the items of the macro page's mouse list.
inline constexpr int kMouseLeft = 1;
inline constexpr int kMouseMiddle = 2;
inline constexpr int kMouseRight = 3;

/// One row of the step list being edited or recorded.
struct MacroStepRow {
    std::string text;
    int type = 0;
    int value = 0;  ///< virtual-key code, or mouse button 1..3
    int delay = 0;  ///< pause after the step, ms
    bool operator==(const MacroStepRow&) const = default;
};

}  // namespace zephyl
