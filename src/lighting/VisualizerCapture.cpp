// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/VisualizerCapture.h"

#include "lighting/PulseLibrary.h"
#include "platform/Log.h"

#include <cstring>

namespace zephyl {

/// One connection to the server with its mainloop thread; replaced whole on a restart, so a
/// callback never sees a half-torn connection.
struct LoopbackCapture::Connection {
    LoopbackCapture* owner = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool ready = false;   // the context reached the ready state once
    bool paused = false;  // under the mainloop's lock
    std::mutex nameMutex;
    std::string sinkName;

    ~Connection() {
        if (loop) {
            Pa().threaded_mainloop_stop(loop);
        }
        if (stream) {
            Pa().stream_set_read_callback(stream, nullptr, nullptr);
            Pa().stream_set_state_callback(stream, nullptr, nullptr);
            Pa().stream_disconnect(stream);
            Pa().stream_unref(stream);
        }
        if (context) {
            Pa().context_set_state_callback(context, nullptr, nullptr);
            Pa().context_set_subscribe_callback(context, nullptr, nullptr);
            Pa().context_disconnect(context);
            Pa().context_unref(context);
        }
        if (loop) {
            Pa().threaded_mainloop_free(loop);
        }
    }

    static void OnRead(pa_stream* s, size_t, void* user) {
        auto* self = static_cast<Connection*>(user);
        const void* data = nullptr;
        size_t bytes = 0;
        while (Pa().stream_readable_size(s) > 0) {
            if (Pa().stream_peek(s, &data, &bytes) < 0 || bytes == 0) {
                return;
            }
            if (data) {  // a hole has no data: nothing to analyse, only to drop
                self->owner->m_sink(
                    std::span<const float>(static_cast<const float*>(data), bytes / sizeof(float)));
            }
            Pa().stream_drop(s);
        }
    }

    static void OnStreamState(pa_stream* s, void* user) {
        auto* self = static_cast<Connection*>(user);
        switch (Pa().stream_get_state(s)) {
            case PA_STREAM_READY:
                // A pause asked while the stream was connecting could not cork it yet.
                if (Pa().stream_is_corked(s) != (self->paused ? 1 : 0)) {
                    self->Cork(s, self->paused);
                }
                self->owner->SetState(CaptureState::kCapturing);
                break;
            case PA_STREAM_FAILED:
            case PA_STREAM_TERMINATED:
                if (s == self->stream) {
                    self->owner->SetState(CaptureState::kEnded);
                }
                break;
            default:
                break;
        }
    }

    static void Cork(pa_stream* s, bool corked) {
        if (pa_operation* op = Pa().stream_cork(s, corked ? 1 : 0, nullptr, nullptr)) {
            Pa().operation_unref(op);
        }
    }

    void OpenStream(const std::string& sink) {
        if (stream) {
            pa_stream* old = stream;
            stream = nullptr;
            Pa().stream_set_read_callback(old, nullptr, nullptr);
            Pa().stream_set_state_callback(old, nullptr, nullptr);
            Pa().stream_disconnect(old);
            Pa().stream_unref(old);
        }
        {
            std::lock_guard lock(nameMutex);
            sinkName = sink;
        }
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, kChannels};
        stream = Pa().stream_new(context, "Keyboard lighting", &format, nullptr);
        if (!stream) {
            owner->SetState(CaptureState::kEnded);
            return;
        }
        Pa().stream_set_read_callback(stream, &Connection::OnRead, this);
        Pa().stream_set_state_callback(stream, &Connection::OnStreamState, this);
        // About 10 ms per block keeps the spectrum current without waking the thread too often.
        pa_buffer_attr attr;
        std::memset(&attr, 0xFF, sizeof(attr));
        attr.fragsize = 512 * kChannels * sizeof(float);
        const std::string monitor = sink + ".monitor";
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_ADJUST_LATENCY | (paused ? PA_STREAM_START_CORKED : PA_STREAM_NOFLAGS));
        if (Pa().stream_connect_record(stream, monitor.c_str(), &attr, flags) < 0) {
            owner->SetState(CaptureState::kEnded);
        }
    }

    static void OnServerInfo(pa_context*, const pa_server_info* info, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (!info || !info->default_sink_name) {
            return;
        }
        std::string sink = info->default_sink_name;
        bool same = false;
        {
            std::lock_guard lock(self->nameMutex);
            same = sink == self->sinkName && self->stream &&
                   Pa().stream_get_state(self->stream) == PA_STREAM_READY;
        }
        if (!same) {
            self->OpenStream(sink);
        }
    }

    static void OnEvent(pa_context* c, pa_subscription_event_type_t type, uint32_t, void* user) {
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
            // The default output may have changed: follow it.
            if (pa_operation* op =
                    Pa().context_get_server_info(c, &Connection::OnServerInfo, user)) {
                Pa().operation_unref(op);
            }
        }
    }

    static void OnContextState(pa_context* c, void* user) {
        auto* self = static_cast<Connection*>(user);
        switch (Pa().context_get_state(c)) {
            case PA_CONTEXT_READY: {
                self->ready = true;
                Pa().context_set_subscribe_callback(c, &Connection::OnEvent, self);
                if (pa_operation* op =
                        Pa().context_subscribe(c, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr)) {
                    Pa().operation_unref(op);
                }
                if (pa_operation* op =
                        Pa().context_get_server_info(c, &Connection::OnServerInfo, self)) {
                    Pa().operation_unref(op);
                }
                break;
            }
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                self->owner->SetState(self->ready ? CaptureState::kEnded : CaptureState::kNoServer);
                break;
            default:
                break;
        }
    }
};

LoopbackCapture::LoopbackCapture(SampleSink sink) : m_sink(std::move(sink)) {}

LoopbackCapture::~LoopbackCapture() {
    Stop();
}

void LoopbackCapture::Restart() {
    std::lock_guard lock(m_control);
    const CaptureState before = m_state.load();
    const bool failedBefore = before == CaptureState::kNoServer || before == CaptureState::kEnded;
    m_connection.reset();
    auto connection = std::make_unique<Connection>();
    connection->owner = this;
    connection->paused = m_paused.load();
    std::string unusable;
    if (Pulse(&unusable) == nullptr) {
        Log(kLogWarning, "music capture: %s", unusable.c_str());
        SetState(CaptureState::kNoServer);
        return;
    }
    connection->loop = Pa().threaded_mainloop_new();
    if (!connection->loop) {
        SetState(CaptureState::kNoServer);
        return;
    }
    if (!failedBefore) {
        SetState(CaptureState::kConnecting);
    }
    Pa().threaded_mainloop_lock(connection->loop);
    connection->context = Pa().context_new(Pa().threaded_mainloop_get_api(connection->loop),
                                           "Zephyl keyboard lighting");
    bool connected = false;
    if (connection->context) {
        Pa().context_set_state_callback(connection->context, &Connection::OnContextState,
                                        connection.get());
        // Never start a server of our own: without one the page says so.
        connected = Pa().context_connect(connection->context, nullptr, PA_CONTEXT_NOAUTOSPAWN,
                                         nullptr) >= 0;
    }
    Pa().threaded_mainloop_unlock(connection->loop);
    if (!connected) {
        SetState(CaptureState::kNoServer);
        return;  // the connection is freed with the loop never started
    }
    if (Pa().threaded_mainloop_start(connection->loop) < 0) {
        SetState(CaptureState::kNoServer);
        return;
    }
    m_connection = std::move(connection);
}

void LoopbackCapture::Stop() {
    std::lock_guard lock(m_control);
    m_connection.reset();
    SetState(CaptureState::kStopped);
}

void LoopbackCapture::SetPaused(bool paused) {
    std::lock_guard lock(m_control);
    m_paused.store(paused);
    if (!m_connection) {
        return;
    }
    Pa().threaded_mainloop_lock(m_connection->loop);
    m_connection->paused = paused;
    pa_stream* stream = m_connection->stream;
    if (stream && Pa().stream_get_state(stream) == PA_STREAM_READY) {
        Connection::Cork(stream, paused);
    }
    Pa().threaded_mainloop_unlock(m_connection->loop);
}

bool LoopbackCapture::StreamCorked() const {
    auto* self = const_cast<LoopbackCapture*>(this);
    std::lock_guard lock(self->m_control);
    if (!m_connection) {
        return false;
    }
    Pa().threaded_mainloop_lock(m_connection->loop);
    pa_stream* stream = m_connection->stream;
    const bool corked = stream && Pa().stream_get_state(stream) == PA_STREAM_READY &&
                        Pa().stream_is_corked(stream) == 1;
    Pa().threaded_mainloop_unlock(m_connection->loop);
    return corked;
}

std::string LoopbackCapture::SinkName() const {
    auto* self = const_cast<LoopbackCapture*>(this);
    std::lock_guard lock(self->m_control);
    if (!m_connection) {
        return {};
    }
    std::lock_guard nameLock(m_connection->nameMutex);
    return m_connection->sinkName;
}

}  // namespace zephyl
