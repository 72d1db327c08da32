// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/MacroImage.h"

#include "protocol/KeyTable.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr size_t kBlockHeader = 8;

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

std::uint8_t ActionByte(MacroAction action) {
    switch (action) {
        case MacroAction::kKeyDown:
            return kActionKeyDown;
        case MacroAction::kKeyUp:
            return kActionKeyUp;
        case MacroAction::kButtonDown:
            return kActionButtonDown;
        case MacroAction::kButtonUp:
            return kActionButtonUp;
        case MacroAction::kNone:
            break;
    }
    return 0;
}

std::vector<std::uint8_t> Padded(std::span<const std::uint8_t> body, size_t unit) {
    const size_t units = (body.size() + unit - 1) / unit + 1;
    std::vector<std::uint8_t> image(units * unit, 0);
    std::copy(body.begin(), body.end(), image.begin());
    SealBlock(image);
    return image;
}

}  // namespace

std::vector<std::uint8_t> EncodeMacroImageBody(std::span<const MacroImageSteps> macros) {
    std::vector<std::uint8_t> image(kMacroTableLength, 0);
    const size_t count = std::min(macros.size(), kMacroTableEntries);
    for (size_t i = 0; i < count; ++i) {
        const MacroImageSteps& steps = macros[i];
        if (steps.empty()) {
            std::fill_n(image.begin() + 4 * i, 4, 0xFF);
            continue;
        }
        const size_t offset = image.size();
        Put16(image, 4 * i, static_cast<int>(offset));
        image.resize(offset + kBlockHeader, 0);
        int entries = 0;
        for (const MacroImageStep& step : steps) {
            if (step.action != MacroAction::kNone) {
                image.insert(image.end(), {0x00, 0x00, step.code, ActionByte(step.action)});
                ++entries;
            }
            const int pause = std::clamp(step.pause, kShortestMacroPause, kLongestMacroPause);
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
    return Padded(body, kCablePayloadLength);
}

std::vector<std::uint8_t> ReceiverMacroImage(std::span<const std::uint8_t> body) {
    return Padded(body, kReceiverPieceLength);
}

std::vector<ReceiverFrame> BuildMacroFrames(std::span<const std::uint8_t> receiverImage,
                                            size_t bodyLength) {
    const size_t chunks = receiverImage.size() / kReceiverPieceLength;
    std::vector<ReceiverFrame> frames;
    frames.reserve(chunks);
    for (size_t k = 0; k < chunks; ++k) {
        ReceiverFrame frame{};
        frame[1] = kReceiverMacroChunk;
        frame[2] = k + 1 == chunks ? static_cast<std::uint8_t>(bodyLength % kReceiverPieceLength)
                                   : static_cast<std::uint8_t>(kReceiverPieceLength);
        frame[3] = static_cast<std::uint8_t>(k);
        std::copy_n(receiverImage.begin() + kReceiverPieceLength * k, kReceiverPieceLength,
                    frame.begin() + 4);
        frames.push_back(frame);
    }
    return frames;
}

}  // namespace zephyl
