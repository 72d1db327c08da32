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

/// Sends one frame over the cable with the stream pacing: the frame command, the block, and
/// the closing report. A failed step ends the frame; the keyboard keeps the last one it got.
StreamFrameResult SendCustomLightFrame(DeviceManager& devices, const CustomLightSnapshot& snapshot,
                                       bool perKeyColour);

}  // namespace zephyl
