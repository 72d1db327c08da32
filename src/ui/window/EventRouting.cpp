// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/EventRouting.h"

#include "glint/Types.h"

#include <algorithm>
#include <array>

namespace zephyl::window {
namespace {

/// Controls whose page operation decides itself which events it acts on.
constexpr std::array kEveryEvent = {49,  71,  74,  76,  82,  84,  107, 108, 109, 163, 168,
                                    175, 176, 177, 199, 202, 221, 222, 223, 238, 252, 258,
                                    319, 321, 330, 334, 340, 349, 350, 354, 355, 356};

constexpr int kLightWheel = 100;
constexpr int kCustomLightWheel = 214;
constexpr int kMacroSteps = 287;

}  // namespace

bool AcceptsEvent(int id, int code) {
    if (std::find(kEveryEvent.begin(), kEveryEvent.end(), id) != kEveryEvent.end()) {
        return true;
    }
    if (id == kLightWheel || id == kCustomLightWheel) {
        return code == glint::kEventWheelReleased;
    }
    if (id == kMacroSteps) {
        return code == glint::kEventEditFinished;
    }
    return code == glint::kEventClick;
}

}  // namespace zephyl::window
