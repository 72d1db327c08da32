// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroImage.h"

#include "keys/KeyCodes.h"
#include "keys/KeyTable.h"
#include "keys/MacroStepRow.h"

#include <algorithm>
#include <array>
#include <optional>

namespace zephyl {
namespace {

constexpr size_t kBlockHeader = 8;
constexpr size_t kPacket = 64;
constexpr size_t kChunk = 28;
constexpr std::uint8_t kFrameMacro = 0x09;

constexpr std::uint8_t kActionKeyDown = 0xB0;
constexpr std::uint8_t kActionKeyUp = 0x30;
constexpr std::uint8_t kActionButtonDown = 0x90;
constexpr std::uint8_t kActionButtonUp = 0x10;
constexpr std::uint8_t kPauseEntry = 0x50;
// A pause travels in 16 bits; a longer one is cut to the longest the keyboard can wait.
constexpr int kLongestMacroPause = 0xFFFF;

void Put16(std::vector<std::uint8_t>& image, size_t at, int value) {
    image[at] = static_cast<std::uint8_t>(value & 0xFF);
    image[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::optional<std::uint8_t> ButtonMask(int value) {
    switch (value) {
        case 1:
            return 0x01;
        case 2:
            return 0x04;
        case 3:
            return 0x02;
        default:
            return std::nullopt;
    }
}

/// The action entry of a step; nothing for a step that is only a pause.
std::optional<std::array<std::uint8_t, 4>> ActionEntry(const MacroStep& step) {
    const auto usage = static_cast<std::uint8_t>(VirtualKeyToUsage(step.value) & 0xFF);
    switch (step.type) {
        case kStepKeyDown:
            return std::array<std::uint8_t, 4>{0, 0, usage, kActionKeyDown};
        case kStepKeyUp:
            return std::array<std::uint8_t, 4>{0, 0, usage, kActionKeyUp};
        case kStepButtonDown:
        case kStepButtonUp:
            if (const auto mask = ButtonMask(step.value)) {
                return std::array<std::uint8_t, 4>{
                    0, 0, *mask,
                    step.type == kStepButtonDown ? kActionButtonDown : kActionButtonUp};
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

std::vector<std::uint8_t> Padded(std::span<const std::uint8_t> body, size_t unit) {
    const size_t units = (body.size() + unit - 1) / unit + 1;
    std::vector<std::uint8_t> image(units * unit, 0);
    std::copy(body.begin(), body.end(), image.begin());
    SealBlock(image);
    return image;
}

}  // namespace

std::vector<std::uint8_t> BuildMacroImageBody(std::span<const MacroImageInput> macros) {
    std::vector<std::uint8_t> image(kMacroTableLength, 0);
    const size_t count = std::min(macros.size(), kMacroTableEntries);
    for (size_t i = 0; i < count; ++i) {
        const std::vector<MacroStep>& steps = macros[i].steps;
        if (steps.empty()) {
            std::fill_n(image.begin() + 4 * i, 4, 0xFF);
            continue;
        }
        const size_t offset = image.size();
        Put16(image, 4 * i, static_cast<int>(offset));
        image.resize(offset + kBlockHeader, 0);
        int entries = 0;
        for (const MacroStep& step : steps) {
            if (const auto action = ActionEntry(step)) {
                image.insert(image.end(), action->begin(), action->end());
                ++entries;
            }
            const int pause = std::clamp(step.delay_time, kShortestMacroPause, kLongestMacroPause);
            image.insert(image.end(),
                         {static_cast<std::uint8_t>(pause & 0xFF),
                          static_cast<std::uint8_t>((pause >> 8) & 0xFF), 0x00, kPauseEntry});
            ++entries;
        }
        Put16(image, offset, entries);
    }
    return image;
}

std::vector<std::uint8_t> CableMacroImage(std::span<const std::uint8_t> body) {
    return Padded(body, kPacket);
}

std::vector<std::uint8_t> ReceiverMacroImage(std::span<const std::uint8_t> body) {
    return Padded(body, kChunk);
}

std::vector<ReceiverFrame> BuildMacroFrames(std::span<const std::uint8_t> receiverImage,
                                            size_t bodyLength) {
    const size_t chunks = receiverImage.size() / kChunk;
    std::vector<ReceiverFrame> frames;
    frames.reserve(chunks);
    for (size_t k = 0; k < chunks; ++k) {
        ReceiverFrame frame{};
        frame[1] = kFrameMacro;
        frame[2] = k + 1 == chunks ? static_cast<std::uint8_t>(bodyLength % kChunk)
                                   : static_cast<std::uint8_t>(kChunk);
        frame[3] = static_cast<std::uint8_t>(k);
        std::copy_n(receiverImage.begin() + kChunk * k, kChunk, frame.begin() + 4);
        frames.push_back(frame);
    }
    return frames;
}

bool FitsCableUpload(int totalSteps, int macroCount) {
    return 8 * (totalSteps + macroCount) < 2700;
}

bool FitsReceiverUpload(int totalSteps, int macroCount) {
    return 8 * (totalSteps + macroCount) <= 3600;
}

}  // namespace zephyl
