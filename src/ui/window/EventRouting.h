// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zephyl::window {

/// Whether an event of control `id` with `code` reaches the page operation of that control.
/// Most controls act only on a click or choice (2); lists, fields, palettes and the feature
/// controls get every event and pick what they act on; the two colour wheels that stream colours
/// act only on their release (27), and the macro step list only on the end of an edit (29).
bool AcceptsEvent(int id, int code);

}  // namespace zephyl::window
