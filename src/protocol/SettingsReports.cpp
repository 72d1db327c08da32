// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/SettingsReports.h"

namespace zephyl {
namespace {

constexpr size_t kRecordStart = 4;
constexpr size_t kRecordTrailer = kRecordStart + kReceiverRecordLength - 2;
// Block bytes 1..8 are the settings; the receiver's record carries them one place later.
constexpr size_t kSettingsBytes = 8;

ReceiverFrame CommandOnly(std::uint8_t command) {
    ReceiverFrame frame{};
    frame[1] = command;
    return frame;
}

}  // namespace

SettingsBlock BuildSettingsBlock(const KeyboardSettings& settings) {
    SettingsBlock block{};
    block[1] = 0x01;
    block[2] = settings.disableAltTab ? 1 : 0;
    block[3] = settings.disableAltF4 ? 1 : 0;
    block[4] = settings.disableWin ? 1 : 0;
    block[5] = static_cast<std::uint8_t>(settings.fnSwitch & 0xFF);
    block[6] = static_cast<std::uint8_t>(settings.sleepTime & 0xFF);
    block[8] = static_cast<std::uint8_t>(settings.keyResponseTime & 0xFF);
    SealBlock(block);
    return block;
}

ReceiverFrame BuildSettingsReceiverFrame(const KeyboardSettings& settings) {
    const SettingsBlock block = BuildSettingsBlock(settings);
    ReceiverFrame frame{};
    frame[1] = kReceiverSettings;
    frame[2] = kReceiverRecordLength;
    for (size_t i = 1; i <= kSettingsBytes; ++i) {
        frame[kRecordStart + i] = block[i];
    }
    frame[kRecordTrailer] = kTrailerFirst;
    frame[kRecordTrailer + 1] = kTrailerSecond;
    return frame;
}

ReceiverFrame BuildResetKeysFrame() {
    return CommandOnly(kReceiverResetKeys);
}

ReceiverFrame BuildRestoreDefaultsFrame() {
    return CommandOnly(kReceiverRestoreDefaults);
}

}  // namespace zephyl
