// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl run as a user runs it, for the tests of its commands.
#pragma once

#include "support/TempEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace zephyl::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs the built zephylctl with `arguments` (shell words) through the shell, its output and
/// errors captured in files below `folder`. ZEPHYL_RUNTIME_DIR is the test program's own.
inline CliResult RunZephylctl(const std::filesystem::path& folder, const std::string& arguments) {
    const auto out = folder / "out.txt";
    const auto err = folder / "err.txt";
    const std::string command = std::string(ZEPHYL_RUNTIME_DIR) + "/zephylctl " + arguments +
                                " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

}  // namespace zephyl::test
