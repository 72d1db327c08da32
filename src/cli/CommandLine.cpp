// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/CommandLine.h"

#include <cstdlib>

namespace zephyl::cli {

std::optional<Invocation> ParseInvocation(const std::vector<std::string>& arguments,
                                          std::string& error) {
    Invocation invocation;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            invocation.help = true;
        } else if (argument == "--json") {
            invocation.json = true;
        } else if (argument == "--virtual-keyboard") {
            invocation.virtualKeyboard = true;
        } else if (argument.rfind("--virtual-keyboard=", 0) == 0) {
            invocation.virtualKeyboard = true;
            invocation.scenario = argument.substr(19);
        } else if (argument == "--model" || argument.rfind("--model=", 0) == 0) {
            std::string value;
            if (argument == "--model") {
                if (i + 1 >= arguments.size()) {
                    error = "--model needs a model id";
                    return std::nullopt;
                }
                value = arguments[++i];
            } else {
                value = argument.substr(8);
            }
            char* end = nullptr;
            const long id = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || id <= 0 || id > 100000) {
                error = "not a model id: " + value;
                return std::nullopt;
            }
            invocation.model = static_cast<int>(id);
        } else if (argument.size() > 1 && argument[0] == '-' && invocation.words.empty()) {
            error = "unknown option: " + argument;
            return std::nullopt;
        } else {
            invocation.words.push_back(argument);
        }
    }
    return invocation;
}

std::string HelpText(const std::string& command) {
    if (command == "devices") {
        return "Usage: zephylctl [OPTIONS] devices\n"
               "List the keyboard models this program knows, which of them are connected and\n"
               "how (USB cable, 2.4 GHz receiver, Bluetooth), the battery level of a wireless\n"
               "keyboard and the firmware release of a keyboard on the cable.\n";
    }
    if (command == "settings") {
        return "Usage: zephylctl [OPTIONS] settings show\n"
               "       zephylctl [OPTIONS] settings set KEY VALUE\n"
               "       zephylctl [OPTIONS] settings send\n"
               "Show, change or resend the keyboard's settings. A change is stored and sent to\n"
               "the keyboard at once, as the settings page does.\n"
               "Keys and values:\n"
               "  key_respondtime 1..5   key response time\n"
               "  sleep_time      0..3   idle time before the keyboard sleeps\n"
               "  fn_switch       0..1   which of the two Fn arrangements is active\n"
               "  disable_win     0..1   game mode: Windows key locked\n"
               "  disable_alttab  0..1   game mode: Alt+Tab locked\n"
               "  disable_altf4   0..1   game mode: Alt+F4 locked\n";
    }
    if (command == "reset-keys") {
        return "Usage: zephylctl [OPTIONS] reset-keys\n"
               "Delete every key assignment of the current profile and give the keyboard's keys\n"
               "their own functions back.\n";
    }
    if (command == "restore-defaults") {
        return "Usage: zephylctl [OPTIONS] restore-defaults\n"
               "Delete everything stored for the connected model (profiles, macros, lighting,\n"
               "screen pictures, settings), recreate the defaults and write them to the\n"
               "keyboard. The program's language and close-button choice are reset too.\n";
    }
    return "Usage: zephylctl [OPTIONS] COMMAND [ARGUMENTS]\n"
           "Configure Zephyl keyboards from the command line.\n"
           "\n"
           "Commands:\n"
           "  devices             list the keyboard models and which are connected\n"
           "  settings            show, change or resend the keyboard's settings\n"
           "  reset-keys          give every key of the current profile its own function back\n"
           "  restore-defaults    restore the model's defaults in the program and the keyboard\n"
           "\n"
           "Options:\n"
           "  --model ID                  act on this model (default: the last one selected)\n"
           "  --json                      print JSON instead of text\n"
           "  --virtual-keyboard[=SCEN]   use the built-in virtual keyboard (SCEN: a model id\n"
           "                              with connection modes such as 101:0,2, or a scenario\n"
           "                              file) instead of real hardware\n"
           "  -h, --help                  this text; COMMAND --help explains a command\n"
           "\n"
           "Exit status: 0 on success, 1 when the command failed, 2 for bad usage.\n";
}

}  // namespace zephyl::cli
