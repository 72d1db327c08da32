// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <pulse/pulseaudio.h>

#include <string>

namespace zephyl {

// The PulseAudio client functions the loopback capture calls.
// clang-format off
#define ZEPHYL_PULSE_FUNCTIONS(X) \
    X(context_connect) \
    X(context_disconnect) \
    X(context_get_server_info) \
    X(context_get_state) \
    X(context_new) \
    X(context_set_state_callback) \
    X(context_set_subscribe_callback) \
    X(context_subscribe) \
    X(context_unref) \
    X(operation_unref) \
    X(stream_connect_record) \
    X(stream_cork) \
    X(stream_disconnect) \
    X(stream_drop) \
    X(stream_get_state) \
    X(stream_is_corked) \
    X(stream_new) \
    X(stream_peek) \
    X(stream_readable_size) \
    X(stream_set_read_callback) \
    X(stream_set_state_callback) \
    X(stream_unref) \
    X(threaded_mainloop_free) \
    X(threaded_mainloop_get_api) \
    X(threaded_mainloop_lock) \
    X(threaded_mainloop_new) \
    X(threaded_mainloop_start) \
    X(threaded_mainloop_stop) \
    X(threaded_mainloop_unlock)
// clang-format on

/// The PulseAudio client library, opened when sound is first captured rather than at every
/// start: it maps a dozen sound-file libraries with it, and most runs never open the music
/// page. Each member is the function of the same name with "pa_" before it.
struct PulseApi {
#define ZEPHYL_PULSE_MEMBER(name) decltype(&::pa_##name) name = nullptr;
    ZEPHYL_PULSE_FUNCTIONS(ZEPHYL_PULSE_MEMBER)
#undef ZEPHYL_PULSE_MEMBER
};

/// The library, opened once per file name; null when it cannot be, with the reason in `error`.
/// ZEPHYL_PULSE_LIBRARY names another file to open instead of "libpulse.so.0" (tests).
const PulseApi* Pulse(std::string* error);

/// The library opened by a successful Pulse(): for code that runs only after one.
const PulseApi& Pa();

}  // namespace zephyl
