// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/CommandLine.h"

#include "cli/MusicCli.h"
#include "cli/Output.h"
#include "cli/ScreenCli.h"
#include "cli/SdkServerCli.h"
#include "cli/UpdateCli.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

namespace zephyl::cli {
namespace {

struct NumberOption {
    const char* name;
    const char* what;
    long minimum;
    long maximum;
    std::optional<int> Invocation::*field;
};

constexpr NumberOption kNumberOptions[] = {
    {"--model", "a model id", 1, 100000, &Invocation::model},
    {"--profile", "a profile id", 1, 1000000000, &Invocation::profile},
    {"--layer", "a layer (keys: 0 base, 1 Fn; music: a layer id)", 0, 1000000000,
     &Invocation::layer},
    {"--set", "a lighting set id", 1, 1000000000, &Invocation::set},
    {"--seconds", "a number of seconds (1..3600)", 1, 3600, &Invocation::seconds},
};

const NumberOption* FindNumberOption(const std::string& argument) {
    for (const auto& option : kNumberOptions) {
        const std::string name = option.name;
        if (argument == name || argument.rfind(name + "=", 0) == 0) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

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
        } else if (const NumberOption* option = FindNumberOption(argument)) {
            std::string value;
            if (argument == option->name) {
                if (i + 1 >= arguments.size()) {
                    error = std::string(option->name) + " needs " + option->what;
                    return std::nullopt;
                }
                value = arguments[++i];
            } else {
                value = argument.substr(std::string(option->name).size() + 1);
            }
            const auto number = ParseWholeNumber(value, option->minimum, option->maximum);
            if (!number) {
                error = std::string("not ") + option->what + ": " + Printable(value);
                return std::nullopt;
            }
            invocation.*(option->field) = *number;
        } else if (argument.size() > 1 && argument[0] == '-' && invocation.words.empty()) {
            error = "unknown option: " + Printable(argument);
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
    if (command == "update" || command == "firmware") {
        return UpdateHelpText(command);
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
    if (command == "profiles") {
        return "Usage: zephylctl [OPTIONS] profiles [list]\n"
               "       zephylctl [OPTIONS] profiles new\n"
               "       zephylctl [OPTIONS] profiles rename ID NAME\n"
               "       zephylctl [OPTIONS] profiles delete ID\n"
               "       zephylctl [OPTIONS] profiles select ID\n"
               "       zephylctl [OPTIONS] profiles bind ID PROGRAM\n"
               "       zephylctl [OPTIONS] profiles unbind ID [PROGRAM]\n"
               "Profiles hold the key assignments. Selecting one writes its keys into the\n"
               "keyboard; the last profile cannot be deleted.\n"
               "A profile bound to programs becomes current while one of them has the focus\n"
               "(the window program follows the active window in an X11 session) and the\n"
               "selected profile comes back when the focus leaves them. PROGRAM is a process\n"
               "name or a window class (WM_CLASS), matched without regard to case; a program\n"
               "follows one profile only. unbind without PROGRAM removes every binding of\n"
               "the profile.\n";
    }
    if (command == "keys") {
        return "Usage: zephylctl [OPTIONS] keys show\n"
               "       zephylctl [OPTIONS] keys assign KEY KIND [ARGUMENTS]\n"
               "       zephylctl [OPTIONS] keys export FOLDER\n"
               "       zephylctl [OPTIONS] keys import FILE\n"
               "Show or change what the keys do, in the profile given with --profile ID\n"
               "(default: the first) and the layer given with --layer 0|1 (0 base, 1 Fn).\n"
               "KEY is a key's name on the keyboard (A, F1, Esc, Space ...) or its HID usage.\n"
               "KIND and its arguments:\n"
               "  default                    the key's own function\n"
               "  disable                    the key does nothing\n"
               "  key [ctrl+][shift+][alt+][win+]KEY   another key, with modifiers\n"
               "  combination KEY KEY [KEY]  up to three keys pressed together\n"
               "  consumer CODE              a key function 500..517\n"
               "  media ITEM                 a media item 1..7\n"
               "  mouse ITEM                 a mouse item 1..8\n"
               "  macro ID [REPEAT]          play a macro (REPEAT times, 1..255)\n"
               "An export writes both layers of the profile (base and Fn; --layer does not\n"
               "apply) into a new file in FOLDER and prints the file's path; an import makes a\n"
               "new profile of such a file with both its layers (items that would run a\n"
               "program, open a page, paste a text or switch profiles are left out).\n";
    }
    if (command == "macros") {
        return "Usage: zephylctl [OPTIONS] macros [list]\n"
               "       zephylctl [OPTIONS] macros new\n"
               "       zephylctl [OPTIONS] macros show ID\n"
               "       zephylctl [OPTIONS] macros export ID FILE\n"
               "       zephylctl [OPTIONS] macros import FILE\n"
               "       zephylctl [OPTIONS] macros send\n"
               "Macros are stored per keyboard model and written into the keyboard's macro\n"
               "memory (at most 100).\n";
    }
    if (command == "light") {
        return "Usage: zephylctl [OPTIONS] light effect MODE [--brightness N] [--speed N]\n"
               "                 [--direction left|right|up|down] [--colour RRGGBB] "
               "[--multicolour]\n"
               "       zephylctl [OPTIONS] light side N\n"
               "       zephylctl [OPTIONS] light live\n"
               "effect makes built-in effect MODE (0..19, 0 turns the light off) the active one,\n"
               "changes the settings given (brightness and speed up to the model's maxima;\n"
               "--colour, red first, ends multicolour) and sends it. side stores and sends side\n"
               "light mode N (1..10). live prints the colour every key shows now (key code and\n"
               "RRGGBB; cable only). Over Bluetooth the change is stored, not sent.\n";
    }
    if (command == "userlight") {
        return "Usage: zephylctl [OPTIONS] userlight [list]\n"
               "       zephylctl [OPTIONS] userlight new\n"
               "       zephylctl [OPTIONS] userlight set-key KEY RRGGBB [--set ID]\n"
               "       zephylctl [OPTIONS] userlight fill RRGGBB [--set ID]\n"
               "       zephylctl [OPTIONS] userlight send [--set ID]\n"
               "       zephylctl [OPTIONS] userlight import FILE\n"
               "       zephylctl [OPTIONS] userlight export FILE [--set ID]\n"
               "User lighting: named sets of one fixed colour per key, written into the\n"
               "keyboard. new adds a set with every key dark; set-key gives one key (its code or\n"
               "name) a colour, fill gives every key one; both store the set and write it to the\n"
               "keyboard, as send does. Without --set the first set is used, as the page\n"
               "selects it.\n";
    }
    if (command == "music") {
        return MusicHelpText();
    }
    if (command == "screen") {
        return ScreenHelpText();
    }
    if (command == "sdk-server") {
        return SdkServerHelpText();
    }
    if (command == "customlight") {
        return "Usage: zephylctl [OPTIONS] customlight [list]\n"
               "       zephylctl [OPTIONS] customlight import FILE\n"
               "       zephylctl [OPTIONS] customlight export FILE [--set ID]\n"
               "       zephylctl [OPTIONS] customlight stream --seconds N [--set ID]\n"
               "Real-time lighting: named sets that give every key its own animated effect.\n"
               "The keyboard keeps nothing of them; the program streams the animation while\n"
               "it runs. list shows the sets; import reads a set file into a new set; export\n"
               "writes a set (\".xml\" is added when missing); stream animates the set and\n"
               "sends its frames to the keyboard on the cable for N seconds (1..3600). Without\n"
               "--set the first set is used, as the page selects it.\n";
    }
    return "Usage: zephylctl [OPTIONS] COMMAND [ARGUMENTS]\n"
           "Configure Zephyl keyboards from the command line.\n"
           "\n"
           "Commands:\n"
           "  devices             list the keyboard models and which are connected\n"
           "  settings            show, change or resend the keyboard's settings\n"
           "  reset-keys          give every key of the current profile its own function back\n"
           "  restore-defaults    restore the model's defaults in the program and the keyboard\n"
           "  profiles            list, add, rename, delete, select key profiles; bind programs\n"
           "  keys                show, assign, export and import key assignments\n"
           "  macros              list, add, show, export, import and send macros\n"
           "  light               built-in lighting effects, side light, live key colours\n"
           "  userlight           list, add, colour, send, import and export user lighting\n"
           "  customlight         list, import, export and stream real-time lighting sets\n"
           "  music               list music layers, run music-reactive lighting\n"
           "  update              check for a newer program and keyboard firmware\n"
           "  firmware            run the keyboard's firmware tool\n"
           "  screen              screen animations: list, upload to a slot, default, clock\n"
           "  sdk-server          let OpenRGB and its SDK's programs light the keyboard\n"
           "\n"
           "Options:\n"
           "  --model ID                  act on this model (default: the last one selected)\n"
           "  --profile ID, --layer 0|1   the profile and layer the keys commands act on\n"
           "  --set ID, --seconds N       the set and time the customlight commands act on\n"
           "  --json                      print JSON instead of text\n"
           "  --virtual-keyboard[=SCEN]   use the built-in virtual keyboard (SCEN: a model id\n"
           "                              with connection modes such as 101:0,2, or a scenario\n"
           "                              file) instead of real hardware\n"
           "  -h, --help                  this text; COMMAND --help explains a command\n"
           "\n"
           "Exit status: 0 on success, 1 when the command failed, 2 for bad usage.\n";
}

std::optional<int> ParseWholeNumber(const std::string& text, long minimum, long maximum) {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || number < minimum || number > maximum) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

}  // namespace zephyl::cli
