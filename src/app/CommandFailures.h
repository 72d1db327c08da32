// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// Language texts of the reasons a command did not do its work.
enum CommandFailureText : int {
    kTextKeyboardRefused = 910,  ///< the keyboard refused or lost a report of the write
    kTextNoKeyboardReady = 911,
    kTextMacrosTooLarge = 912,  ///< "%d": the steps over the keyboard's limit
    kTextDatabaseBusy = 913,
    /// the keyboard refused a write that nothing keeps for later (the screen's clock, slots and
    /// uploads)
    kTextKeyboardRefusedTryAgain = 918,
    /// the keyboard could not be reached any more in the middle of a long transfer
    kTextKeyboardGoneTryAgain = 1020,
    /// "%s": the selected model, which is not connected while another keyboard is
    kTextModelNotConnected = 1064,
};

/// The reason in the current language, with `count` in place of "%d" and `name` in place of
/// "%s"; the English text when the language file lacks it.
std::string FailureMessage(int textId, int count = 0, const std::string& name = {});

}  // namespace zephyl
