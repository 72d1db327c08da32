// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/ReceiverSession.h"

#include <algorithm>

namespace zephyl::virtualhid {

namespace {

constexpr std::uint8_t kHandshake = 0x02;
constexpr std::uint8_t kKeySlotBase = 0x03;
constexpr std::uint8_t kLighting = 0x05;
constexpr std::uint8_t kSettings = 0x07;
constexpr std::uint8_t kMacro = 0x09;
constexpr std::uint8_t kMusic = 0x0B;
constexpr std::uint8_t kClock = 0x0C;
constexpr std::uint8_t kKeySlotFn = 0x0D;
constexpr std::uint8_t kRestore = 0x0F;
constexpr std::uint8_t kKeyTableBase = 0x10;
constexpr std::uint8_t kKeyTableFn = 0x12;
constexpr std::uint8_t kUserColours = 0x14;
constexpr std::uint8_t kKeyReset = 0x1F;
constexpr std::uint8_t kBattery = 0x20;
constexpr std::uint8_t kScreenStart = 0x7F;
constexpr std::uint8_t kScreenUnit = 0x80;

constexpr std::size_t kPiece = 28;
constexpr std::size_t kRecord = 0x10;
constexpr std::size_t kData = 4;       // frame position of the first data byte
constexpr std::size_t kChecksum = 32;  // frame position of the checksum
constexpr std::size_t kKeySlots = kKeyTableBytes / 4;
constexpr int kKeyTablePieces = 21;
constexpr int kMusicColumns = 21;

bool IsEffectMode(std::uint8_t mode) {
    return mode <= 19 || mode == 0x80;
}

bool IsSideLightMode(std::uint8_t mode) {
    return mode >= 0x20 && mode <= 0x29;
}

bool RecordTrailer(const std::uint8_t* frame) {
    return frame[kData + 14] == 0xAA && frame[kData + 15] == 0x55;
}

bool IsRecordFrame(const std::uint8_t* frame) {
    return frame[2] == kRecord && frame[3] == 0 && RecordTrailer(frame);
}

}  // namespace

bool ReceiverSession::Frame(const std::uint8_t* frame, ProtocolContext& context, Bytes& answer) {
    if (context.status.asleep) {
        context.Count("unanswered_asleep");
        return false;
    }
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kChecksum; ++i) {
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    }
    if (frame[kChecksum] != sum) {
        context.Refuse(kRefusedChecksum);
        return false;
    }
    answer.assign(kAnswerBytes, 0);
    std::copy_n(frame + 1, 3, answer.begin());
    answer[3] = 1;
    return Dispatch(frame, context, answer);
}

bool ReceiverSession::Dispatch(const std::uint8_t* frame, ProtocolContext& context, Bytes& answer) {
    const std::uint8_t command = frame[1];
    bool taken = false;
    if (command >= kScreenUnit) {
        taken = ScreenUnit(frame, context);
    } else {
        switch (command) {
            case kHandshake:
                context.Count("handshakes");
                return true;
            case kBattery:
                if (frame[2] != 0x01) {
                    context.Refuse(kRefusedMalformed);
                    return false;
                }
                answer[3] = static_cast<std::uint8_t>(std::clamp(context.status.battery, 0, 255));
                return true;
            case kKeySlotBase:
            case kKeySlotFn:
                taken = KeySlot(frame, command == kKeySlotFn ? 1 : 0, context);
                break;
            case kLighting:
                taken = Lighting(frame, context);
                break;
            case kSettings:
                taken = Settings(frame, context);
                break;
            case kMacro:
                taken = MacroPiece(frame, context);
                break;
            case kMusic:
                taken = Music(frame, context);
                break;
            case kClock:
                taken = Clock(frame, context);
                break;
            case kRestore:
                context.memory.FactoryReset(context.model);
                Reset();
                context.Count("restores");
                return true;
            case kKeyTableBase:
            case kKeyTableFn:
                taken = KeyTablePiece(frame, command == kKeyTableFn ? 1 : 0, context);
                break;
            case kUserColours:
                taken = UserColourPiece(frame, context);
                break;
            case kKeyReset:
                context.memory.keyTables[0].assign(kKeyTableBytes, 0);
                context.memory.keyTables[1].assign(kKeyTableBytes, 0);
                context.Count("key_resets");
                return true;
            case kScreenStart:
                taken = ScreenStart(frame, context);
                break;
            default:
                context.Refuse(kRefusedUnknown);
                return false;
        }
    }
    return taken;
}

bool ReceiverSession::KeySlot(const std::uint8_t* frame, int layer, ProtocolContext& context) {
    const std::size_t slot = frame[3];
    if (frame[2] != 4 || slot >= kKeySlots || (layer == 1 && !context.model.hasFnLayer)) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    std::copy_n(frame + kData, 4,
                context.memory.keyTables[layer].begin() + static_cast<std::ptrdiff_t>(4 * slot));
    context.Count("writes");
    return true;
}

bool ReceiverSession::Lighting(const std::uint8_t* frame, ProtocolContext& context) {
    const std::uint8_t mode = frame[kData];
    const bool record = IsRecordFrame(frame);
    const bool sideLightFrame = frame[2] == 0x01 && frame[3] == 0 && RecordTrailer(frame);
    if (record && IsEffectMode(mode)) {
        context.memory.lighting.assign(frame + kData, frame + kData + kLightingRecordBytes);
        context.memory.liveSource = LiveSource::Effect;
    } else if ((record || sideLightFrame) && IsSideLightMode(mode) && context.model.hasSideLight) {
        context.memory.sideLight = mode;
    } else {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    context.Count("writes");
    return true;
}

bool ReceiverSession::Settings(const std::uint8_t* frame, ProtocolContext& context) {
    if (!IsRecordFrame(frame)) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    // Kept as the same 64-byte block the cable writes, so both links leave the same memory.
    Bytes block(kSettingsBlockBytes, 0);
    std::copy_n(frame + kData, kLightingRecordBytes - 2, block.begin());
    block[kSettingsBlockBytes - 2] = 0xAA;
    block[kSettingsBlockBytes - 1] = 0x55;
    context.memory.settings[1] = std::move(block);
    context.Count("writes");
    return true;
}

bool ReceiverSession::Place(Assembly& assembly, int index, const std::uint8_t* data,
                            std::size_t length) {
    if (index == 0) {
        assembly = Assembly{};
    }
    if (index != assembly.next) {
        return false;
    }
    assembly.data.resize(kPiece * static_cast<std::size_t>(index));
    assembly.data.insert(assembly.data.end(), data, data + length);
    ++assembly.next;
    return true;
}

bool ReceiverSession::MacroPiece(const std::uint8_t* frame, ProtocolContext& context) {
    const std::size_t length = frame[2];
    if (length > kPiece) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    context.blockReport = true;
    // Every piece carries 28 bytes of the image; only the last one gives a shorter count (the
    // image length modulo 28), which is how the keyboard knows the image is complete.
    if (!Place(m_macro, frame[3], frame + kData, kPiece)) {
        context.Refuse(kRefusedSequence);
        return false;
    }
    if (length == kPiece) {
        return true;
    }
    const Bytes image = std::move(m_macro.data);
    m_macro = Assembly{};
    if (!HasTrailer(image, image.size() - 2)) {
        context.Refuse(kRefusedTrailer);
        return false;
    }
    context.memory.macroImage = image;
    context.Count("writes");
    return true;
}

bool ReceiverSession::Music(const std::uint8_t* frame, ProtocolContext& context) {
    if (frame[2] != 0x1C || frame[3] != 0) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    MusicFrame& music = context.memory.music;
    music.fore = frame[4];
    music.back = frame[5];
    music.backBrightness = frame[6];
    music.heights.assign(frame + 7, frame + 7 + kMusicColumns);
    ++context.memory.musicFrames;
    context.changed = true;
    return true;
}

bool ReceiverSession::Clock(const std::uint8_t* frame, ProtocolContext& context) {
    const std::uint8_t* record = frame + kData;
    if (!IsRecordFrame(frame) || record[0] != 0 || record[2] != 0x5A || !ValidClock(record)) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    ClockSetting& clock = context.memory.clock;
    clock.set = true;
    clock.libraryPosition = record[1];
    clock.year = record[3];
    clock.month = record[4];
    clock.day = record[5];
    clock.hour = record[6];
    clock.minute = record[7];
    clock.second = record[8];
    clock.weekday = record[10];
    context.Count("writes");
    return true;
}

bool ReceiverSession::KeyTablePiece(const std::uint8_t* frame, int layer,
                                    ProtocolContext& context) {
    const int index = frame[3];
    const std::size_t lastLength = kKeyTableBytes - kPiece * (kKeyTablePieces - 1);
    const std::size_t expected = index < kKeyTablePieces - 1 ? kPiece : lastLength;
    if (index >= kKeyTablePieces || frame[2] != expected ||
        (layer == 1 && !context.model.hasFnLayer)) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    context.blockReport = true;
    Assembly& assembly = m_keyTables[layer];
    if (!Place(assembly, index, frame + kData, expected)) {
        context.Refuse(kRefusedSequence);
        return false;
    }
    if (index < kKeyTablePieces - 1) {
        return true;
    }
    Bytes table = std::move(assembly.data);
    assembly = Assembly{};
    if (table.size() != kKeyTableBytes || !HasTrailer(table, kKeyTableBytes - 2)) {
        context.Refuse(kRefusedTrailer);
        return false;
    }
    context.memory.keyTables[layer] = std::move(table);
    context.Count("writes");
    return true;
}

bool ReceiverSession::UserColourPiece(const std::uint8_t* frame, ProtocolContext& context) {
    const std::size_t blockLength = context.model.rgb ? 576 : 192;
    const int pieces = static_cast<int>((blockLength + kPiece - 1) / kPiece);
    const std::size_t lastLength = blockLength - kPiece * static_cast<std::size_t>(pieces - 1);
    const int index = frame[3];
    const std::size_t expected = index < pieces - 1 ? kPiece : lastLength;
    if (index >= pieces || frame[2] != expected) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    context.blockReport = true;
    if (!Place(m_userColours, index, frame + kData, expected)) {
        context.Refuse(kRefusedSequence);
        return false;
    }
    if (index < pieces - 1) {
        return true;
    }
    Bytes block = std::move(m_userColours.data);
    m_userColours = Assembly{};
    if (block.size() != blockLength || !HasTrailer(block, blockLength - 2)) {
        context.Refuse(kRefusedTrailer);
        return false;
    }
    context.memory.userColours = std::move(block);
    context.memory.liveSource = LiveSource::Effect;
    context.Count("writes");
    return true;
}

bool ReceiverSession::ScreenStart(const std::uint8_t* frame, ProtocolContext& context) {
    const long long units = frame[5] | frame[6] << 8 | frame[7] << 16;
    const long long maximum = context.model.MaxScreenImageBytes() / kPiece + 1;
    if (frame[2] != 0x03 || frame[3] != 0 || !context.model.hasScreen || units < 1 ||
        units > maximum) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    m_upload.Start(frame[4], units, static_cast<int>(kPiece), "receiver");
    m_upload.SetGeometry(context.model.screenWidth, context.model.screenHeight,
                         context.model.screenHeaderLength);
    return true;
}

bool ReceiverSession::ScreenUnit(const std::uint8_t* frame, ProtocolContext& context) {
    const long long unit = static_cast<long long>(frame[1] & 0x7F) << 16 | frame[3] << 8 | frame[2];
    if (!m_upload.Active() || m_upload.Complete() || unit != m_upload.Received()) {
        context.Refuse(kRefusedSequence);
        return false;
    }
    context.blockReport = true;
    m_upload.Add(frame + kData, kPiece);
    if (!m_upload.Complete()) {
        return true;
    }
    KeyboardMemory& memory = context.memory;
    const bool slotValid = memory.currentSlot >= 1 &&
                           static_cast<std::size_t>(memory.currentSlot) <= memory.slots.size();
    if (!slotValid) {
        m_upload.Clear();
        context.Refuse(kRefusedMalformed);
        return false;
    }
    m_upload.CommitTo(memory.slots[static_cast<std::size_t>(memory.currentSlot) - 1]);
    m_upload.Clear();
    context.Count("writes");
    return true;
}

}  // namespace zephyl::virtualhid
