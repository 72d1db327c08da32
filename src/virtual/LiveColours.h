// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/KeyboardMemory.h"
#include "virtual/ModelCatalogue.h"

namespace zephyl::virtualhid {

/// The colour every light shows at this moment, as the live-colour read hands it out: 576
/// bytes, four per light [index, red, green, blue] on a per-key colour keyboard, one level per
/// light on a single-colour one.
///
/// The lights follow the last streamed frame when one came after the last lighting write;
/// otherwise the stored effect: off for effect 0, the user colours for user lighting (0x80), a
/// fixed rainbow over the light indexes for a multicolour effect, else the effect's colour
/// scaled by its brightness.
Bytes LiveColours(const ModelInfo& model, const KeyboardMemory& memory);

}  // namespace zephyl::virtualhid
