// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lighting/CaptureRetry.h"
#include "lighting/VisualizerAnalysis.h"
#include "lighting/VisualizerCapture.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zephyl {

/// One rendered frame: the colours of the grid and the fore colour where a cell is lit.
struct MusicFrame {
    MusicGrid colours{};
    MusicGrid lit{};
};

/// The music analyser: captures what the computer plays, and on a thread of its own renders
/// about every 15 ms the spectrum into a grid of colours while it is active. Readers take the
/// latest complete frame; a frame is never read while it is being written.
class Visualizer {
public:
    static constexpr int kFramePauseMs = 15;
    static constexpr int kIdlePollMs = 500;
    static constexpr float kPhaseStep = 5.0F;
    /// Frames without a sample after which the last samples are forgotten.
    static constexpr int kStaleFrames = 8;

    Visualizer();
    ~Visualizer();
    Visualizer(const Visualizer&) = delete;
    Visualizer& operator=(const Visualizer&) = delete;

    /// Opens the capture (a no-op after the first time) and clears the analysis.
    void StartAnalyser();
    /// Starts the render loop; it runs until the analyser is destroyed.
    void StartThread();
    /// Reconnects the capture to the current default output.
    void RestartCapture();
    CaptureState Capture() const;
    /// Whether the capture's stream is corked now (false when there is no stream).
    bool CaptureCorked() const;

    /// Frames are computed only while active (the music page is shown or zephylctl streams);
    /// meanwhile the capture is paused, so the server sends nothing and no thread wakes for it.
    /// While active, a capture without a server connects again from time to time (see
    /// CaptureRetry), so a sound server that comes later, or comes back, is followed.
    void SetActive(bool active);
    bool Active() const { return m_active.load(); }

    /// Changes the settings between two frames: the running frame ends, the change is applied,
    /// and the next frame uses it.
    void ChangeSettings(const std::function<void(AnalyserSettings&)>& change);
    AnalyserSettings Settings() const;

    /// Samples as the capture delivers them (interleaved stereo float). Any thread.
    void FeedSamples(std::span<const float> interleaved);

    /// Renders one frame now, as the loop does; the tests and the bench call it directly.
    void RenderFrame();

    /// Lets `read` look at the latest complete frame, which stays unchanged while it does (one
    /// reader at a time). False, without calling `read`, when the analyser holds no frames: it
    /// has not rendered since it was last active.
    bool ReadLatestFrame(const std::function<void(const MusicFrame&)>& read);

    /// Frames rendered since construction.
    std::uint64_t FrameCount() const { return m_frames.load(); }
    /// Blocks of samples received since construction.
    std::uint64_t SampleBlocks() const { return m_sampleBlocks.load(); }

private:
    /// What the frames are rendered into: half a megabyte, held only while frames are made.
    struct Buffers {
        MusicGrid fore{};
        MusicGrid back{};
        // Three frames: one written, one ready, one read; the ready one changes hands
        // atomically.
        std::array<MusicFrame, 3> frames{};
    };

    void Loop();
    /// Connects the capture again when it has no server and its retry is due; loop thread.
    void RetryCapture();
    void Publish();
    /// Gives back the frame buffers and the sample buffers until frames are made again.
    void ReleaseBuffers();

    // Frame side, under m_frameMutex.
    mutable std::mutex m_frameMutex;
    AnalyserSettings m_settings;
    SpectrumAnalyser m_analyser;
    float m_phase = 0.0F;
    int m_framesWithoutSamples = 0;
    std::vector<float> m_drained;

    /// Made under both m_frameMutex and m_readerMutex, so that either lock keeps it in place.
    std::unique_ptr<Buffers> m_buffers;
    static constexpr int kDirty = 4;
    int m_writeIndex = 0;
    std::atomic<int> m_readyIndex{1};
    std::mutex m_readerMutex;
    int m_readIndex = 2;

    // Samples between the capture thread and the frame.
    std::mutex m_samplesMutex;
    std::vector<float> m_samples;
    size_t m_sampleCount = 0;

    std::unique_ptr<LoopbackCapture> m_capture;
    std::atomic<bool> m_active{false};
    std::atomic<std::uint64_t> m_frames{0};
    std::atomic<std::uint64_t> m_sampleBlocks{0};
    mutable std::mutex m_captureMutex;  ///< serialises opening, pausing and restarting the capture
    CaptureRetry m_retry;               ///< loop thread only
    std::atomic<bool> m_retrySoon{false};  ///< the next failure is tried soon again
    std::mutex m_loopMutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace zephyl
