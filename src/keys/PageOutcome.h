// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zephyl {

/// Reads a language entry of section "KB.DIALOG"; LanguageText in the program, a table in tests.
using TextSource = std::function<std::string(int entry)>;

/// What the window does after a page operation of the keys and macros pages.
struct PageOutcome {
    bool changed = false;         ///< the list or the store changed
    std::vector<int> commands;    ///< worker commands to post, in order
    bool showWaitDialog = false;  ///< wait until the worker has sent the change
    int messageText = 0;          ///< language entry of a message to show; 0 for none
    int messageCaption = 0;
    int messageCount = 0;  ///< the number a message's "%d" stands for
};

}  // namespace zephyl
