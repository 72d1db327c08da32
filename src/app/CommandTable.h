// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace zephyl {

class KeyboardController;

/// What a command achieved. A handler that could not do its work says why with
/// KeyboardController::FailCommand; the window shows it, zephylctl prints it and exits 1.
struct CommandOutcome {
    bool done = true;
    std::string failure;  ///< one line for the user when not done
};

/// One worker command: how the queue and the worker treat it, and what it does.
struct CommandRow {
    using Handler = std::function<void(KeyboardController&)>;

    int id = 0;
    std::string name;
    /// Runs only while a keyboard is connected and ready; dropped otherwise.
    bool needsReadyKeyboard = true;
    /// The window opens a wait dialog for it, which the worker closes when it is over (or
    /// dropped).
    bool closesWaitDialog = false;
    /// The handler reads everything it sends when it runs, so a second posting while one is
    /// still waiting would only send the same again: it is not queued twice.
    bool mergesWhenQueued = false;
    Handler handler;
};

/// The worker's commands by id. The controller adds its own; each feature adds its commands
/// when it registers. Any thread.
class CommandTable {
public:
    /// Adds `row`, replacing a row with the same id.
    void Add(CommandRow row);
    /// A copy of the row of `id`, so the caller runs the handler without holding the table.
    std::optional<CommandRow> Find(int id) const;
    /// Replaces only the handler of an existing row; false when there is no row `id`.
    bool SetHandler(int id, CommandRow::Handler handler);

private:
    mutable std::mutex m_mutex;
    std::map<int, CommandRow> m_rows;
};

}  // namespace zephyl
