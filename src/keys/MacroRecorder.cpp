// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroRecorder.h"

#include "keys/KeyCapture.h"
#include "keys/KeyTexts.h"
#include "store/ConfigValues.h"

namespace zephyl {
namespace {

// The macro memory holds 325 entries, macros and steps together.
constexpr int kMacroMemoryEntries = 325;
constexpr int kSmallestSpace = 10;
constexpr int kComfortableSpace = 20;

// Kinds of a captured event.
constexpr int kKindRepeat = 0;
constexpr int kKindKey = 2;

}  // namespace

int RecordingSpace(int macroCount, int totalSteps) {
    return 2 * (kMacroMemoryEntries - macroCount - totalSteps);
}

MacroKeyCapture::MacroKeyCapture(KeyNameSource names) : m_names(std::move(names)) {}

bool MacroKeyCapture::BeginKeyCapture() {
    if (m_mode == kRecording) {
        return false;
    }
    m_mode = kCapturingKey;
    m_capturedText.clear();
    return true;
}

void MacroKeyCapture::EndKeyCapture() {
    if (m_mode == kCapturingKey) {
        m_mode = kIdle;
    }
}

RecordingStart MacroKeyCapture::StartRecording(int space, int delayMode,
                                               const std::string& fixedPauseText) {
    RecordingStart start;
    if (space < kSmallestSpace) {
        start.messageText = kTextMacroMemoryFull;
        start.messageTitle = kTextRecordingTitle;
        return start;
    }
    if (space < kComfortableSpace) {
        start.messageText = kTextMacroMemoryAlmostFull;
        start.messageTitle = kTextRecordingTitle;
    }
    m_space = space;
    m_delayMode = kDelayRecorded;
    m_fixedPause = kDefaultFixedPause;
    if (delayMode == kDelayNone) {
        m_delayMode = kDelayNone;
    } else if (delayMode == kDelayFixed) {
        m_delayMode = kDelayFixed;
        m_fixedPause = ParseConfigNumber(fixedPauseText);
    }
    m_rows.clear();
    m_previousEventTime.reset();
    m_mode = kRecording;
    start.started = true;
    return start;
}

void MacroKeyCapture::StopRecording() {
    if (m_mode == kRecording) {
        m_mode = kIdle;
    }
    m_previousEventTime.reset();
}

CaptureResult MacroKeyCapture::OnHookKeyEvent(const HookKeyEvent& event) {
    CaptureResult result;
    result.consumed = true;
    const int direction = KeyMessageDirection(event.message);
    if (direction < 0) {
        return result;
    }
    int code = AdjustCapturedCode(direction, event.virtualKey, event.scanCode, event.flags);
    if (code == 0) {
        return result;
    }
    const std::string text = RecordedKeyName(code, m_names);
    int kind = kKindKey;
    if (direction == 0) {
        kind = m_heldKeys.insert(code).second ? kKindKey : kKindRepeat;
    } else {
        m_heldKeys.erase(code);
    }
    if (m_mode == kRecording) {
        RecordKeyEvent(kind, direction, code, text, event.timeMs, result);
    } else if (m_mode == kCapturingKey) {
        m_capturedKey = code;
        m_capturedText = text;
        result.capturedKeyChanged = true;
    }
    return result;
}

void MacroKeyCapture::RecordKeyEvent(int kind, int direction, int code, const std::string& text,
                                     std::int64_t timeMs, CaptureResult& result) {
    const int elapsed = ElapsedSinceLastEvent(timeMs);
    int pause = 0;
    if (m_delayMode == kDelayRecorded) {
        pause = elapsed;
    } else if (m_delayMode == kDelayFixed) {
        pause = m_fixedPause;
    }
    if (pause != 0 && !m_rows.empty()) {
        m_rows.back().delay = pause;
    }
    int type = kStepRepeat;
    if (kind == kKindKey) {
        type = direction == 0 ? kStepKeyDown : kStepKeyUp;
    }
    m_rows.push_back({text, type, code, 0});
    result.rowAdded = true;
    if (static_cast<int>(m_rows.size()) > m_space) {
        StopRecording();
        result.recordingStopped = true;
        result.messageText = kTextMacroMemoryAlmostFull;
        result.messageTitle = kTextRecordingTitle;
    }
}

int MacroKeyCapture::ElapsedSinceLastEvent(std::int64_t now) {
    int elapsed = 0;
    if (m_previousEventTime) {
        const std::int64_t difference = now - *m_previousEventTime;
        elapsed = difference < 0 || difference > kLongestRecordedPause
                      ? kLongestRecordedPause
                      : static_cast<int>(difference);
    }
    m_previousEventTime = now;
    return elapsed;
}

}  // namespace zephyl
