// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyEventTranslator.h"
#include "keys/KeyNames.h"
#include "keys/MacroStepRow.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zephyl {

// Pause handling while recording.
inline constexpr int kDelayRecorded = 1;
inline constexpr int kDelayNone = 2;
inline constexpr int kDelayFixed = 3;

inline constexpr int kDefaultFixedPause = 10;
inline constexpr int kLongestRecordedPause = 31000;

/// Rows a recording may produce: twice the macro memory's free entries.
int RecordingSpace(int macroCount, int totalSteps);

/// What starting a recording did.
struct RecordingStart {
    bool started = false;
    int messageText = 0;  ///< language entry to show (0: none): memory full or almost full
    int messageTitle = 0;
};

/// What one captured event did.
struct CaptureResult {
    bool consumed = false;
    bool capturedKeyChanged = false;  ///< the macro page's key field shows a new key
    bool rowAdded = false;
    /// The recording filled its space and stopped: the window saves Rows() as the macro's
    /// steps and shows the message.
    bool recordingStopped = false;
    int messageText = 0;
    int messageTitle = 0;
};

/// Key capture of the macro page: the key field (capture mode 2) and the recorder (mode 1).
///
/// The window grabs the keyboard while a mode other than 0 runs and hands every event to
/// OnHookKeyEvent. The set of held keys outlives captures, as the keyboard's state does: a key
/// held when a capture ended and pressed again later is an auto-repeat.
class MacroKeyCapture {
public:
    enum Mode { kIdle = 0, kRecording = 1, kCapturingKey = 2 };

    explicit MacroKeyCapture(KeyNameSource names = EnglishKeyName);

    Mode CaptureMode() const { return m_mode; }

    /// The key field got the focus: capture into it. False while a recording runs.
    bool BeginKeyCapture();
    /// The key field lost the focus.
    void EndKeyCapture();
    int CapturedKey() const { return m_capturedKey; }
    const std::string& CapturedText() const { return m_capturedText; }

    /// Starts recording unless `space` (RecordingSpace of the stored macros) is below 10 rows;
    /// warns below 20. `fixedPauseText` is the fixed pause as typed, used for kDelayFixed only.
    RecordingStart StartRecording(int space, int delayMode, const std::string& fixedPauseText);
    /// Ends the recording; the rows stay available until the next start.
    void StopRecording();
    bool Recording() const { return m_mode == kRecording; }
    const std::vector<MacroStepRow>& Rows() const { return m_rows; }
    int Space() const { return m_space; }
    int DelayMode() const { return m_delayMode; }
    int FixedPause() const { return m_fixedPause; }

    /// One event of the grab.
    CaptureResult OnHookKeyEvent(const HookKeyEvent& event);

private:
    void RecordKeyEvent(int kind, int direction, int code, const std::string& text,
                        std::int64_t timeMs, CaptureResult& result);
    int ElapsedSinceLastEvent(std::int64_t now);

    KeyNameSource m_names;
    Mode m_mode = kIdle;
    std::set<int> m_heldKeys;
    int m_capturedKey = 0;
    std::string m_capturedText;
    std::vector<MacroStepRow> m_rows;
    int m_space = 0;
    int m_delayMode = kDelayRecorded;
    int m_fixedPause = kDefaultFixedPause;
    std::optional<std::int64_t> m_previousEventTime;
};

}  // namespace zephyl
