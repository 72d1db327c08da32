// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/CableSession.h"

#include "virtual/LiveColours.h"

#include <algorithm>

namespace zephyl::virtualhid {

namespace {

constexpr std::uint8_t kCommandPrefix = 0x04;
constexpr std::uint8_t kEnd = 0x02;
constexpr std::uint8_t kBegin = 0x18;
constexpr std::uint8_t kBeginMacro = 0x19;
constexpr std::uint8_t kFrame = 0x20;
constexpr std::uint8_t kRefresh = 0xF0;
constexpr std::uint8_t kLiveRead = 0xF5;

constexpr std::uint8_t kKeyTableBase = 0x11;
constexpr std::uint8_t kLighting = 0x13;
constexpr std::uint8_t kMacro = 0x15;
constexpr std::uint8_t kSettings = 0x17;
constexpr std::uint8_t kUserColours = 0x23;
constexpr std::uint8_t kKeyTableFn = 0x27;
constexpr std::uint8_t kScreenBlock = 0x28;
constexpr std::uint8_t kScreenImage = 0x72;

constexpr std::uint8_t kStatusTaken = 0x01;
constexpr std::uint8_t kStatusRefused = 0x00;
constexpr std::uint8_t kStatusBusy = 0xFF;
constexpr std::uint8_t kStatusWrong = 0x02;

constexpr std::size_t kMaxMacroPackets = 112;  // 7168 bytes: more than any admitted macro set
constexpr std::size_t kMaxLiveBlocks = 9;
constexpr std::uint8_t kScreenSelect = 0x5A;

bool IsEffectMode(std::uint8_t mode) {
    return mode <= 19 || mode == 0x80;
}

bool IsSideLightMode(std::uint8_t mode) {
    return mode >= 0x20 && mode <= 0x29;
}

}  // namespace

void CableSession::Answer(const std::uint8_t* payload, std::uint8_t status) {
    m_answer.fill(0);
    std::copy_n(payload, 3, m_answer.begin());
    m_answer[3] = status;
    m_answerRead = false;
}

void CableSession::SetFeature(const std::uint8_t* payload, ProtocolContext& context) {
    if (m_state == State::Data) {
        m_block.insert(m_block.end(), payload, payload + kPayloadBytes);
        context.blockReport = true;
        if (m_block.size() >= m_packets * kPayloadBytes) {
            m_state = State::DataComplete;
        }
        Answer(payload, kStatusTaken);
        return;
    }
    if (context.faults.TakeBusy()) {
        Answer(payload, kStatusBusy);
        context.Count("busy_answers");
        return;
    }
    Command(payload, context);
    if (context.faults.TakeWrongStatus()) {
        m_answer[3] = kStatusWrong;
    }
}

void CableSession::Command(const std::uint8_t* payload, ProtocolContext& context) {
    const bool inSequence = m_state != State::Idle && m_state != State::LiveRead;
    auto refuse = [&](const char* reason) {
        context.Refuse(reason);
        Answer(payload, kStatusRefused);
        m_failed = m_failed || inSequence;
    };
    if (payload[0] != kCommandPrefix) {
        refuse(kRefusedUnknown);
        return;
    }
    switch (payload[1]) {
        case kBegin:
        case kBeginMacro:
            if (inSequence) {
                context.Count("abandoned_sequences");
            }
            m_upload.Clear();
            m_block.clear();
            m_state = State::Begun;
            m_begin = payload[1];
            m_type = 0;
            m_failed = false;
            Answer(payload, kStatusTaken);
            return;
        case kEnd:
            if (m_state == State::Idle) {
                refuse(kRefusedSequence);
                return;
            }
            Answer(payload, kStatusTaken);
            End(context);
            return;
        case kRefresh:
            if (inSequence) {
                refuse(kRefusedSequence);
                return;
            }
            m_state = State::Idle;
            context.Count("refreshes");
            Answer(payload, kStatusTaken);
            return;
        case kLiveRead: {
            const std::size_t blocks = payload[8];
            if (inSequence) {
                refuse(kRefusedSequence);
                return;
            }
            if (blocks < 1 || blocks > kMaxLiveBlocks) {
                refuse(kRefusedMalformed);
                return;
            }
            m_live = LiveColours(context.model, context.memory);
            m_liveBlocks = blocks;
            m_liveNext = 0;
            m_state = State::LiveRead;
            context.Count("live_reads");
            Answer(payload, kStatusTaken);
            return;
        }
        case kFrame: {
            if (inSequence) {
                refuse(kRefusedSequence);
                return;
            }
            const std::size_t expected = context.model.rgb ? 8 : 3;
            if (payload[8] != expected) {
                refuse(kRefusedMalformed);
                return;
            }
            m_state = State::Data;
            m_begin = 0;
            m_type = kFrame;
            m_packets = expected;
            m_block.clear();
            Answer(payload, kStatusTaken);
            return;
        }
        default:
            Header(payload, context);
            return;
    }
}

void CableSession::Header(const std::uint8_t* payload, ProtocolContext& context) {
    const std::uint8_t type = payload[1];
    const ModelInfo& model = context.model;
    auto refuse = [&](const char* reason) {
        context.Refuse(reason);
        Answer(payload, kStatusRefused);
        m_failed = m_failed || m_state == State::Begun;
    };
    std::size_t expected = 0;
    switch (type) {
        case kKeyTableBase:
            expected = 9;
            break;
        case kKeyTableFn:
            expected = model.hasFnLayer ? 9 : 0;
            break;
        case kLighting:
        case kSettings:
            expected = 1;
            break;
        case kScreenBlock:
            expected = model.hasScreen ? 1 : 0;
            break;
        case kMacro:
            expected = payload[8] >= 1 && payload[8] <= kMaxMacroPackets ? payload[8] : 0;
            break;
        case kUserColours:
            expected = model.rgb ? 9 : 3;
            break;
        case kScreenImage:
            break;
        default:
            refuse(kRefusedUnknown);
            return;
    }
    if (m_state != State::Begun || m_type != 0 || (type == kMacro) != (m_begin == kBeginMacro)) {
        refuse(kRefusedSequence);
        return;
    }
    m_type = type;
    m_argument = payload[2];
    if (type == kScreenImage) {
        const long long units = payload[8] | payload[9] << 8;
        const long long maximum = model.MaxScreenImageBytes() / kBulkBlockBytes + 1;
        if (!model.hasScreen || units < 1 || units > maximum) {
            refuse(kRefusedMalformed);
            return;
        }
        m_upload.Start(payload[2], units, static_cast<int>(kBulkBlockBytes), "bulk");
        m_upload.SetGeometry(model.screenWidth, model.screenHeight, model.screenHeaderLength);
        m_state = State::Bulk;
        Answer(payload, kStatusTaken);
        return;
    }
    if (expected == 0 || payload[8] != expected) {
        refuse(kRefusedMalformed);
        return;
    }
    m_packets = expected;
    m_block.clear();
    m_state = State::Data;
    Answer(payload, kStatusTaken);
}

void CableSession::End(ProtocolContext& context) {
    // A sequence in which any report was refused ends refused, and nothing of it is kept.
    bool taken = !m_failed;
    if (taken && m_state == State::DataComplete) {
        taken = Commit(context);
    } else if (taken && m_state == State::Bulk) {
        taken = CommitScreenImage(context);
    }
    if (!taken) {
        m_answer[3] = kStatusRefused;
    }
    m_state = State::Idle;
    m_type = 0;
    m_failed = false;
    m_block.clear();
    m_upload.Clear();
}

bool CableSession::CommitScreenImage(ProtocolContext& context) {
    KeyboardMemory& memory = context.memory;
    if (!m_upload.Complete()) {
        context.Refuse(kRefusedIncomplete);
        return false;
    }
    if (memory.currentSlot < 1 ||
        static_cast<std::size_t>(memory.currentSlot) > memory.slots.size()) {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    m_upload.CommitTo(memory.slots[static_cast<std::size_t>(memory.currentSlot) - 1]);
    context.Count("writes");
    return true;
}

bool CableSession::Commit(ProtocolContext& context) {
    KeyboardMemory& memory = context.memory;
    const std::size_t length = m_block.size();
    if (m_type == kFrame) {
        memory.lastFrame = m_block;
        memory.liveSource = LiveSource::Stream;
        ++memory.streamedFrames;
        context.changed = true;
        return true;
    }
    if (m_type == kLighting) {
        return CommitLighting(context);
    }
    if (!HasTrailer(m_block, length - 2)) {
        context.Refuse(kRefusedTrailer);
        return false;
    }
    switch (m_type) {
        case kKeyTableBase:
        case kKeyTableFn:
            memory.keyTables[m_type == kKeyTableFn ? 1 : 0] = m_block;
            break;
        case kMacro:
            memory.macroImage = m_block;
            break;
        case kSettings:
            memory.settings[m_argument] = m_block;
            break;
        case kUserColours:
            memory.userColours = m_block;
            memory.liveSource = LiveSource::Effect;
            break;
        case kScreenBlock:
            if (!CommitScreenBlock(context)) {
                return false;
            }
            break;
        default:
            return false;
    }
    context.Count("writes");
    return true;
}

bool CableSession::CommitLighting(ProtocolContext& context) {
    KeyboardMemory& memory = context.memory;
    if (!HasTrailer(m_block, kLightingRecordBytes - 2)) {
        context.Refuse(kRefusedTrailer);
        return false;
    }
    const std::uint8_t mode = m_block[0];
    if (IsEffectMode(mode)) {
        memory.lighting.assign(m_block.begin(), m_block.begin() + kLightingRecordBytes);
        memory.liveSource = LiveSource::Effect;
    } else if (IsSideLightMode(mode) && context.model.hasSideLight) {
        memory.sideLight = mode;
    } else {
        context.Refuse(kRefusedMalformed);
        return false;
    }
    context.Count("writes");
    return true;
}

bool CableSession::CommitScreenBlock(ProtocolContext& context) {
    KeyboardMemory& memory = context.memory;
    if (m_block[0] == kScreenSelect) {
        const int slot = m_block[1];
        if (slot < 1 || static_cast<std::size_t>(slot) > memory.slots.size()) {
            context.Refuse(kRefusedMalformed);
            return false;
        }
        memory.currentSlot = slot;
        return true;
    }
    if (m_block[0] == 0x00 && m_block[2] == kScreenSelect && ValidClock(m_block.data())) {
        ClockSetting& clock = memory.clock;
        clock.set = true;
        clock.libraryPosition = m_block[1];
        clock.year = m_block[3];
        clock.month = m_block[4];
        clock.day = m_block[5];
        clock.hour = m_block[6];
        clock.minute = m_block[7];
        clock.second = m_block[8];
        clock.weekday = m_block[10];
        return true;
    }
    context.Refuse(kRefusedMalformed);
    return false;
}

std::array<std::uint8_t, kPayloadBytes> CableSession::GetFeature(ProtocolContext& /*context*/) {
    if (m_state == State::LiveRead && m_answerRead) {
        std::array<std::uint8_t, kPayloadBytes> block{};
        if (m_liveNext < m_liveBlocks && (m_liveNext + 1) * kPayloadBytes <= m_live.size()) {
            std::copy_n(m_live.begin() + static_cast<std::ptrdiff_t>(m_liveNext * kPayloadBytes),
                        kPayloadBytes, block.begin());
        }
        ++m_liveNext;
        return block;
    }
    m_answerRead = true;
    return m_answer;
}

Bytes CableSession::BulkBlock(const std::uint8_t* block, ProtocolContext& context) {
    Bytes answer(kBulkAnswerBytes, 0);
    answer[0] = kScreenImage;
    const long long unit = m_upload.Received();
    answer[2] = static_cast<std::uint8_t>(unit & 0xFF);
    answer[3] = static_cast<std::uint8_t>((unit >> 8) & 0xFF);
    if (m_state != State::Bulk || m_upload.Complete()) {
        context.Refuse(kRefusedSequence);
        answer[1] = kStatusRefused;
        return answer;
    }
    m_upload.Add(block, kBulkBlockBytes);
    context.blockReport = true;
    answer[1] = kStatusTaken;
    return answer;
}

}  // namespace zephyl::virtualhid
