// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/LiveColours.h"

#include <algorithm>
#include <array>

namespace zephyl::virtualhid {

namespace {

constexpr std::size_t kRgbLights = kLiveColourBytes / 4;
constexpr std::uint8_t kUserLightingMode = 0x80;

std::array<std::uint8_t, 3> Rainbow(std::size_t light) {
    // Six hue sectors spread over the lights; full saturation and value.
    const int hue = static_cast<int>(light * 1536 / kRgbLights);
    const int sector = hue / 256;
    const auto rise = static_cast<std::uint8_t>(hue % 256);
    const auto fall = static_cast<std::uint8_t>(255 - hue % 256);
    switch (sector) {
        case 0:
            return {255, rise, 0};
        case 1:
            return {fall, 255, 0};
        case 2:
            return {0, 255, rise};
        case 3:
            return {0, fall, 255};
        case 4:
            return {rise, 0, 255};
        default:
            return {255, 0, fall};
    }
}

int Scale(int value, int brightness, int maximum) {
    if (maximum <= 0) {
        return value;
    }
    return value * std::clamp(brightness, 0, maximum) / maximum;
}

void StreamedFrame(const ModelInfo& model, const Bytes& frame, Bytes& out) {
    if (model.rgb) {
        // Groups are placed by their first byte, whatever their order in the frame.
        for (std::size_t p = 0; p + 3 < frame.size(); p += 4) {
            const std::size_t light = frame[p];
            if (light < kRgbLights) {
                std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(p + 1), 3,
                            out.begin() + static_cast<std::ptrdiff_t>(4 * light + 1));
            }
        }
        return;
    }
    std::copy_n(frame.begin(), std::min(frame.size(), out.size()), out.begin());
}

void StoredEffect(const ModelInfo& model, const KeyboardMemory& memory, Bytes& out) {
    const Bytes& record = memory.lighting;
    const std::uint8_t mode = record.size() >= kLightingRecordBytes ? record[0] : 0;
    if (mode == 0) {
        return;
    }
    if (mode == kUserLightingMode) {
        if (model.rgb) {
            for (std::size_t light = 0; light < kRgbLights; ++light) {
                for (std::size_t c = 1; c <= 3 && 4 * light + c < memory.userColours.size(); ++c) {
                    out[4 * light + c] = memory.userColours[4 * light + c];
                }
            }
        } else {
            std::copy_n(memory.userColours.begin(), std::min(memory.userColours.size(), out.size()),
                        out.begin());
        }
        return;
    }
    const int brightness = record[9];
    if (!model.rgb) {
        std::fill(out.begin(), out.end(),
                  static_cast<std::uint8_t>(Scale(255, brightness, model.brightnessMax)));
        return;
    }
    const bool multicolour = record[8] == 1;
    for (std::size_t light = 0; light < kRgbLights; ++light) {
        const std::array<std::uint8_t, 3> colour =
            multicolour ? Rainbow(light)
                        : std::array<std::uint8_t, 3>{record[1], record[2], record[3]};
        for (std::size_t c = 0; c < 3; ++c) {
            out[4 * light + 1 + c] =
                static_cast<std::uint8_t>(Scale(colour[c], brightness, model.brightnessMax));
        }
    }
}

}  // namespace

Bytes LiveColours(const ModelInfo& model, const KeyboardMemory& memory) {
    Bytes out(kLiveColourBytes, 0);
    if (memory.liveSource == LiveSource::Stream) {
        StreamedFrame(model, memory.lastFrame, out);
    } else {
        StoredEffect(model, memory, out);
    }
    if (model.rgb) {
        for (std::size_t light = 0; light < kRgbLights; ++light) {
            out[4 * light] = static_cast<std::uint8_t>(light);
        }
    }
    return out;
}

}  // namespace zephyl::virtualhid
