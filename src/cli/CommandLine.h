// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zephyl::cli {

/// The options every command shares, and the command words that follow them.
struct Invocation {
    bool help = false;
    bool json = false;
    bool virtualKeyboard = false;
    std::string scenario;            ///< empty: the default scenario
    std::optional<int> model;        ///< --model ID
    std::optional<int> profile;      ///< --profile ID (keys commands)
    std::optional<int> layer;        ///< --layer 0|1 (keys commands), a music layer id
    std::optional<int> set;          ///< --set ID (customlight commands)
    std::optional<int> seconds;      ///< --seconds N (customlight stream)
    std::vector<std::string> words;  ///< the command and its arguments
};

/// Reads the options; on a bad option returns nothing and sets `error`.
std::optional<Invocation> ParseInvocation(const std::vector<std::string>& arguments,
                                          std::string& error);

/// Help text of a command (or of the program when the command is empty or unknown).
std::string HelpText(const std::string& command);

/// A decimal whole number within [minimum, maximum]; nothing for other text.
std::optional<int> ParseWholeNumber(const std::string& text, long minimum, long maximum);

}  // namespace zephyl::cli
