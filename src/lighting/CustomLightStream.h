// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "protocol/StreamReports.h"

namespace zephyl {

class DeviceManager;
struct CustomLightSnapshot;

/// How far one streamed frame got.
enum class StreamFrameResult { kSent, kCommandFailed, kBlockFailed, kCloseFailed };

/// Fills `buffer` from the snapshot's keys; returns the bytes to send.
size_t BuildCustomLightFrame(const CustomLightSnapshot& snapshot, bool perKeyColour,
                             StreamBuffer& buffer);

/// Whether a stream of `sent` frames that reached the keyboard and `failed` that did not has
/// failed as a whole: when more frames were lost than arrived, the keyboard did not show the
/// animation.
inline bool StreamMostlyFailed(int sent, int failed) {
    return failed > sent;
}

/// Sends one frame over the cable with the stream pacing: the frame command, the block, and
/// the closing report. A failed step ends the frame; the keyboard keeps the last one it got.
StreamFrameResult SendCustomLightFrame(DeviceManager& devices, const CustomLightSnapshot& snapshot,
                                       bool perKeyColour);

}  // namespace zephyl
