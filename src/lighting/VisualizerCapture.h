// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>

namespace zephyl {

/// Where the capture of what the computer plays stands.
enum class CaptureState {
    kStopped,     ///< never started, or stopped
    kConnecting,  ///< waiting for the sound server
    kCapturing,   ///< samples arrive from the default output's monitor
    kNoServer,    ///< no sound server answered
    kEnded,       ///< the stream or the server went away; capture waits for the next restart
};

/// The name the program gives its only capture device.
inline constexpr const char* kLoopbackDeviceName = "Default Loopback Device";

/// Records the monitor of the sound server's default output as interleaved stereo float32 at
/// 48 kHz, on the client library's own thread, and follows a change of the default output.
/// Works with PulseAudio and with PipeWire's pulse server. Nothing here ever waits for the
/// server: a missing or vanished server only shows in State().
class LoopbackCapture {
public:
    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;
    /// Receives each block of samples, on the capture thread.
    using SampleSink = std::function<void(std::span<const float>)>;

    explicit LoopbackCapture(SampleSink sink);
    ~LoopbackCapture();
    LoopbackCapture(const LoopbackCapture&) = delete;
    LoopbackCapture& operator=(const LoopbackCapture&) = delete;

    /// Drops the current connection and stream and connects anew. After a failure the state
    /// stays kNoServer or kEnded until the server answers: a notice of the failure does not
    /// blink at every attempt.
    void Restart();
    void Stop();
    /// Pauses the stream (the server stops sending) or resumes it. A stream opened later
    /// starts in the state asked for last, so a paused capture never reads a block.
    void SetPaused(bool paused);
    bool Paused() const { return m_paused.load(); }
    /// Whether the open stream is corked now; false when there is none.
    bool StreamCorked() const;
    CaptureState State() const { return m_state.load(); }
    /// The output whose monitor is recorded; empty before the server named it.
    std::string SinkName() const;

    struct Connection;

private:
    friend struct Connection;
    void SetState(CaptureState state) { m_state.store(state); }

    SampleSink m_sink;
    std::mutex m_control;
    std::unique_ptr<Connection> m_connection;
    std::atomic<CaptureState> m_state{CaptureState::kStopped};
    std::atomic<bool> m_paused{false};
};

}  // namespace zephyl
