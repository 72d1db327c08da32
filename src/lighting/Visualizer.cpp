// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/Visualizer.h"

#include <algorithm>
#include <chrono>

namespace zephyl {
namespace {

/// A second of stereo samples; older ones are dropped when the loop falls behind.
constexpr size_t kPendingSamples = LoopbackCapture::kRate * LoopbackCapture::kChannels;

}  // namespace

Visualizer::Visualizer() = default;

Visualizer::~Visualizer() {
    {
        std::lock_guard lock(m_loopMutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_capture.reset();
}

void Visualizer::StartAnalyser() {
    {
        std::lock_guard lock(m_frameMutex);
        m_analyser.Reset();
        m_phase = 0.0F;
    }
    std::lock_guard lock(m_captureMutex);
    if (!m_capture) {
        m_capture = std::make_unique<LoopbackCapture>(
            [this](std::span<const float> samples) { FeedSamples(samples); });
    }
    m_capture->SetPaused(!m_active.load());
    m_capture->Restart();
}

void Visualizer::StartThread() {
    std::lock_guard lock(m_loopMutex);
    if (!m_thread.joinable()) {
        m_thread = std::thread([this] { Loop(); });
    }
}

void Visualizer::RestartCapture() {
    std::lock_guard lock(m_captureMutex);
    if (m_capture) {
        m_capture->Restart();
    }
}

CaptureState Visualizer::Capture() const {
    std::lock_guard lock(m_captureMutex);
    return m_capture ? m_capture->State() : CaptureState::kStopped;
}

bool Visualizer::CaptureCorked() const {
    std::lock_guard lock(m_captureMutex);
    return m_capture && m_capture->StreamCorked();
}

void Visualizer::SetActive(bool active) {
    if (active && !m_active.load()) {
        m_retrySoon.store(true);
    }
    {
        std::lock_guard lock(m_captureMutex);
        m_active.store(active);
        if (m_capture) {
            m_capture->SetPaused(!active);
        }
    }
    m_wake.notify_all();
}

void Visualizer::ChangeSettings(const std::function<void(AnalyserSettings&)>& change) {
    // Taking the frame lock waits for a running frame to end, and the next frame waits for the
    // change. The loop is not paused for it: pausing and resuming here would resume an
    // analyser that its page paused meanwhile.
    std::lock_guard lock(m_frameMutex);
    change(m_settings);
}

AnalyserSettings Visualizer::Settings() const {
    std::lock_guard lock(m_frameMutex);
    return m_settings;
}

void Visualizer::FeedSamples(std::span<const float> interleaved) {
    m_sampleBlocks.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard lock(m_samplesMutex);
    // A second of sound is held at most; it is taken when sound first comes, as a program
    // that never captures need not keep it.
    if (m_samples.empty()) {
        m_samples.resize(kPendingSamples);
    }
    if (interleaved.size() >= m_samples.size()) {
        interleaved = interleaved.last(m_samples.size() & ~size_t{1});
        m_sampleCount = 0;
    }
    if (m_sampleCount + interleaved.size() > m_samples.size()) {
        const size_t drop =
            (m_sampleCount + interleaved.size() - m_samples.size() + 1) & ~size_t{1};
        std::copy(m_samples.begin() + static_cast<std::ptrdiff_t>(drop),
                  m_samples.begin() + static_cast<std::ptrdiff_t>(m_sampleCount),
                  m_samples.begin());
        m_sampleCount -= drop;
    }
    std::copy(interleaved.begin(), interleaved.end(),
              m_samples.begin() + static_cast<std::ptrdiff_t>(m_sampleCount));
    m_sampleCount += interleaved.size();
}

void Visualizer::RenderFrame() {
    std::lock_guard lock(m_frameMutex);
    size_t drained = 0;
    {
        std::lock_guard samples(m_samplesMutex);
        drained = m_sampleCount;
        if (m_drained.size() < drained) {
            m_drained.resize(kPendingSamples);
        }
        std::copy_n(m_samples.begin(), drained, m_drained.begin());
        m_sampleCount = 0;
    }
    // A capture that stopped delivering (a lost stream, a stopped server) must not leave its
    // last sound on the keys for ever: after a few empty frames the ring falls silent.
    m_framesWithoutSamples = drained == 0 ? m_framesWithoutSamples + 1 : 0;
    if (m_framesWithoutSamples == kStaleFrames) {
        m_analyser.ClearRing();
    }
    if (!m_buffers) {
        std::lock_guard reader(m_readerMutex);
        m_buffers = std::make_unique<Buffers>();
        m_writeIndex = 0;
        m_readyIndex.store(1);
        m_readIndex = 2;
    }
    m_analyser.PushStereo(std::span<const float>(m_drained).first(drained), m_settings.gain);
    m_analyser.Analyse(m_settings);
    if (m_phase >= 360.0F) {
        m_phase = 0.0F;
    } else if (m_phase < 0.0F) {
        m_phase = 360.0F;
    }
    Buffers& buffers = *m_buffers;
    FillMusicScheme(buffers.back, m_settings.backType, m_settings.backBrightness, m_phase);
    FillMusicScheme(buffers.fore, m_settings.foreType, 100, m_phase);
    MusicFrame& frame = buffers.frames[static_cast<size_t>(m_writeIndex)];
    if (m_settings.foreType == kSchemeScreen) {
        // The keys take the screen's colours; where no screen can be read they show the back
        // colour, so the frame carries that alone.
        frame.colours = buffers.back;
        frame.lit.fill(0);
    } else {
        RenderMusicGrid(m_analyser.Display(), buffers.fore, buffers.back, frame.colours, frame.lit);
    }
    Publish();
    m_phase += kPhaseStep;
    m_frames.fetch_add(1);
}

void Visualizer::Publish() {
    const int previous = m_readyIndex.exchange(m_writeIndex | kDirty);
    m_writeIndex = previous & ~kDirty;
}

bool Visualizer::ReadLatestFrame(const std::function<void(const MusicFrame&)>& read) {
    std::lock_guard lock(m_readerMutex);
    if (!m_buffers) {
        return false;
    }
    if ((m_readyIndex.load() & kDirty) != 0) {
        const int ready = m_readyIndex.exchange(m_readIndex);
        m_readIndex = ready & ~kDirty;
    }
    read(m_buffers->frames[static_cast<size_t>(m_readIndex)]);
    return true;
}

void Visualizer::ReleaseBuffers() {
    {
        std::lock_guard frame(m_frameMutex);
        std::lock_guard reader(m_readerMutex);
        m_buffers.reset();
        std::vector<float>().swap(m_drained);
    }
    std::lock_guard samples(m_samplesMutex);
    std::vector<float>().swap(m_samples);
    m_sampleCount = 0;
}

void Visualizer::RetryCapture() {
    if (m_retrySoon.exchange(false)) {
        m_retry.Reset();
    }
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
    if (m_retry.Due(Capture(), now)) {
        RestartCapture();
    }
}

void Visualizer::Loop() {
    std::unique_lock lock(m_loopMutex);
    while (!m_stop) {
        if (!m_active.load()) {
            // Nothing is rendered until the page comes back: its buffers need not stay.
            lock.unlock();
            ReleaseBuffers();
            lock.lock();
            if (!m_active.load() && !m_stop) {
                m_wake.wait_for(lock, std::chrono::milliseconds(kIdlePollMs));
            }
            continue;
        }
        lock.unlock();
        RetryCapture();
        RenderFrame();
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(kFramePauseMs), [this] { return m_stop; });
    }
}

}  // namespace zephyl
