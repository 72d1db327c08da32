// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/KeysCli.h"

#include "app/KeyboardController.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ProfilesCli.h"
#include "keys/AssignmentKinds.h"
#include "keys/ImportChecks.h"
#include "keys/KeyAssignmentEdit.h"
#include "keys/KeyCodes.h"
#include "keys/KeyExchange.h"
#include "keys/MacroEditor.h"
#include "keys/MacroExchange.h"
#include "keys/ProfileList.h"
#include "store/ProfileDatabase.h"
#include "text/LanguageText.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <ostream>

namespace zephyl::cli {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<int> Number(const std::string& text) {
    return ParseWholeNumber(text, 0, 1000000000);
}

/// A message of the pages, with its number in place of "%d".
std::string MessageText(int text, int count) {
    std::string message = LanguageText(text);
    if (const auto at = message.find("%d"); at != std::string::npos) {
        message.replace(at, 2, std::to_string(count));
    }
    return message.empty() ? "message " + std::to_string(text) : message;
}

/// Sends what a page operation asks for. Single-key writes become whole-layer writes: the
/// command line has no selected key.
int Finish(const PageOutcome& outcome, KeyboardController& controller, std::ostream& err) {
    if (outcome.messageText != 0 && !outcome.changed) {
        err << "zephylctl: " << MessageText(outcome.messageText, outcome.messageCount) << "\n";
        return kExitFailed;
    }
    if (outcome.messageText != 0) {
        err << "zephylctl: " << MessageText(outcome.messageText, outcome.messageCount) << "\n";
    }
    if (outcome.commands.empty()) {
        return kExitOk;
    }
    if (!controller.Connected() || !controller.Ready() ||
        controller.ConnectionMode() == kModeNone) {
        err << "zephylctl: "
            << NoKeyboardReason(controller,
                                "stored; no keyboard is ready, it gets the change when it is "
                                "next written",
                                true)
            << "\n";
        return kExitFailed;
    }
    for (int command : outcome.commands) {
        const CommandOutcome result = controller.RunCommand(
            command == kCommandWriteKeyLayer ? kCommandWriteKeyLayers : command);
        if (!result.done) {
            err << "zephylctl: " << result.failure << "\n";
            return kExitFailed;
        }
    }
    return kExitOk;
}

/// Position of a profile in the list, −1 when it is not there.
int EntryIndex(const ProfileList& list, int id) {
    for (std::size_t i = 0; i < list.Entries().size(); ++i) {
        if (list.Entries()[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

/// The usage of a key given by its name on the keyboard or as a number.
std::optional<int> KeyUsage(const KeyboardLayout& layout, const std::string& text) {
    if (const auto number = Number(text)) {
        return *number > 0 && *number < 256 ? number : std::nullopt;
    }
    // "Caps Lock", "capslock" and "CAPS LOCK" name the same key.
    const auto folded = [](const std::string& name) {
        std::string result = Lower(name);
        std::erase(result, ' ');
        return result;
    };
    const std::string wanted = folded(text);
    for (const auto& key : layout.keys) {
        if (folded(key.name) == wanted) {
            return key.code;
        }
    }
    for (int usage = 1; usage < 256; ++usage) {
        if (!UsageLabel(usage).empty() && folded(UsageLabel(usage)) == wanted) {
            return usage;
        }
    }
    return std::nullopt;
}

std::optional<int> VirtualKeyOfUsage(int usage) {
    for (int vk = 1; vk < 255; ++vk) {
        if (VirtualKeyToUsage(vk) == usage) {
            return vk;
        }
    }
    return std::nullopt;
}

int Profile(const Invocation& invocation, ProfileDatabase& database) {
    if (invocation.profile) {
        return *invocation.profile;
    }
    const int active = database.GetActiveProfile();
    return active > 0 ? active : 1;
}

std::string KindName(int kind) {
    static const char* const kNames[] = {"default", "disable", "key",      "macro",      "reserved",
                                         "mouse",   "media",   "shortcut", "program",    "address",
                                         "text",    "profile", "consumer", "combination"};
    return kind >= 0 && kind < 14 ? kNames[kind] : "kind " + std::to_string(kind);
}

/// Reads `KIND ARGUMENTS` into an assignment record; an empty reason means success.
std::string ReadAssignment(const KeyboardLayout& layout, ProfileDatabase& database,
                           const std::vector<std::string>& words, KeyAssignment& record) {
    const std::string kind = Lower(words[0]);
    const std::size_t count = words.size() - 1;
    if (kind == "default" && count == 0) {
        record = OwnFunctionRecord();
    } else if (kind == "disable" && count == 0) {
        record = DisableRecord(LanguageText(202));
    } else if (kind == "key" && count == 1) {
        bool shift = false, ctrl = false, alt = false, win = false;
        std::string rest = words[1];
        for (std::size_t plus; (plus = rest.find('+')) != std::string::npos && plus > 0;) {
            const std::string modifier = Lower(rest.substr(0, plus));
            if (modifier == "shift") {
                shift = true;
            } else if (modifier == "ctrl") {
                ctrl = true;
            } else if (modifier == "alt") {
                alt = true;
            } else if (modifier == "win") {
                win = true;
            } else {
                return "unknown modifier: " + modifier;
            }
            rest = rest.substr(plus + 1);
        }
        const auto usage = KeyUsage(layout, rest);
        const auto vk = usage ? VirtualKeyOfUsage(*usage) : std::nullopt;
        if (!vk) {
            return "unknown key: " + rest;
        }
        record = KeyRecord(*vk, UsageLabel(*usage), shift, ctrl, win, alt);
    } else if (kind == "combination" && count >= 1 && count <= 3) {
        std::array<std::optional<CombinationKey>, 3> keys;
        for (std::size_t i = 0; i < count; ++i) {
            const auto usage = KeyUsage(layout, words[i + 1]);
            const auto vk = usage ? VirtualKeyOfUsage(*usage) : std::nullopt;
            if (!vk) {
                return "unknown key: " + words[i + 1];
            }
            keys[i] = CombinationKey{*vk, UsageLabel(*usage)};
        }
        record = CombinationRecord(keys);
    } else if (kind == "consumer" && count == 1) {
        const auto code = Number(words[1]);
        if (!code || *code < kFirstConsumerFunction || *code > kLastConsumerFunction) {
            return "a key function is 500..517: " + words[1];
        }
        for (const auto& function : ConsumerFunctions()) {
            if (function.code == *code) {
                record = FunctionRecord(*code, 0, 0, function.name);
            }
        }
    } else if ((kind == "media" || kind == "mouse") && count == 1) {
        const auto item = Number(words[1]);
        const int last = kind == "media" ? static_cast<int>(MediaItems().size())
                                         : static_cast<int>(MouseItems().size());
        if (!item || *item < 1 || *item > last) {
            return kind + " items are 1.." + std::to_string(last) + ": " + words[1];
        }
        const int text =
            kind == "media" ? MediaItems()[*item - 1].text : MouseItems()[*item - 1].text;
        record = ItemRecord(kind == "media" ? kKindMedia : kKindMouse, *item, LanguageText(text));
    } else if (kind == "macro" && (count == 1 || count == 2)) {
        const auto id = Number(words[1]);
        Macro macro;
        if (!id || !database.GetMacro(*id, macro)) {
            return "no macro " + words[1] + " (zephylctl macros lists them)";
        }
        // The keyboard plays a macro 1..255 times; anything else is refused, never bent.
        if (count == 2 && !ParseWholeNumber(words[2], 1, 255)) {
            return "a macro repeats 1..255 times: " + words[2];
        }
        record = count == 2 ? MacroRecord(*id, macro.name, kPlayRepeatCount, words[2])
                            : MacroRecord(*id, macro.name, kPlayOnce, "");
    } else {
        return "unknown kind or wrong arguments: " + words[0] + " (see zephylctl keys --help)";
    }
    return {};
}

}  // namespace

int RunProfiles(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                std::ostream& err) {
    ProfileList list(
        controller.Database(), [](int text) { return LanguageText(text); }, controller.Selection());
    list.LoadProfilePage();
    const auto& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "list";
    if (action == "bind" || action == "unbind") {
        return RunProfileBindings(invocation, controller, out, err);
    }
    if (action == "list" && words.size() <= 2) {
        auto programs = ProfilePrograms(controller.Database());
        if (invocation.json) {
            out << "[";
            for (std::size_t i = 0; i < list.Entries().size(); ++i) {
                out << (i ? "," : "") << "{\"id\":" << list.Entries()[i].id
                    << ",\"name\":" << JsonString(list.Entries()[i].text) << ",\"programs\":[";
                const auto& bound = programs[list.Entries()[i].id];
                for (std::size_t p = 0; p < bound.size(); ++p) {
                    out << (p ? "," : "") << JsonString(bound[p]);
                }
                out << "]}";
            }
            out << "]\n";
        } else {
            for (const auto& entry : list.Entries()) {
                out << (entry.id == list.CurrentProfile() ? "* " : "  ") << entry.id << "  "
                    << Printable(entry.text);
                const auto& bound = programs[entry.id];
                for (std::size_t p = 0; p < bound.size(); ++p) {
                    out << (p ? ", " : "  (programs: ") << Printable(bound[p]);
                }
                out << (bound.empty() ? "\n" : ")\n");
            }
        }
        return kExitOk;
    }
    if (action == "new" && words.size() == 2) {
        const PageOutcome outcome = list.NewProfile();
        if (!outcome.changed) {
            err << "zephylctl: the profile could not be stored\n";
            return kExitFailed;
        }
        out << list.CurrentProfile() << "\n";
        return Finish(outcome, controller, err);
    }
    const int id = words.size() > 2 ? Number(words[2]).value_or(-1) : -1;
    const int index = id > 0 ? EntryIndex(list, id) : -1;
    if ((action == "rename" && words.size() == 4) ||
        ((action == "delete" || action == "select") && words.size() == 3)) {
        if (index < 0) {
            err << "zephylctl: no profile " << Printable(words[2])
                << " (zephylctl profiles lists them)\n";
            return kExitFailed;
        }
        // Renaming or deleting another profile leaves the current one, and the keyboard's
        // tables, as they are.
        if (action == "rename") {
            if (!IsValidUtf8(words[3])) {
                err << "zephylctl: a name must be UTF-8 text\n";
                return kExitUsage;
            }
            return Finish(list.RenameProfileEntry(index, words[3]), controller, err);
        }
        if (action == "delete") {
            if (list.Entries().size() <= 1) {
                err << "zephylctl: the last profile cannot be deleted\n";
                return kExitFailed;
            }
            return Finish(list.DeleteProfileEntry(index), controller, err);
        }
        return Finish(list.SelectProfileEntry(index), controller, err);
    }
    err << "zephylctl: usage: zephylctl profiles [list | new | rename ID NAME | delete ID | "
           "select ID | bind ID PROGRAM | unbind ID [PROGRAM]]\n";
    return kExitUsage;
}

int RunKeys(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
            std::ostream& err) {
    ProfileDatabase& database = controller.Database();
    const std::shared_ptr<const KeyboardLayout> shared = controller.Layout();
    const KeyboardLayout& layout = *shared;
    const int profile = Profile(invocation, database);
    const int layer = invocation.layer.value_or(0);
    controller.SetCurrentProfile(profile);
    std::string name;
    if (!database.GetProfileName(profile, name)) {
        err << "zephylctl: no profile " << profile << " (zephylctl profiles lists them)\n";
        return kExitFailed;
    }
    const auto& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "show";
    if (action == "show" && words.size() <= 2) {
        std::vector<KeyAssignment> assignments;
        database.ListKeyAssignments(profile, layer, assignments);
        if (invocation.json) {
            out << "[";
            for (std::size_t i = 0; i < assignments.size(); ++i) {
                const auto& a = assignments[i];
                out << (i ? "," : "") << "{\"key\":" << JsonString(UsageLabel(a.key_code))
                    << ",\"usage\":" << a.key_code
                    << ",\"kind\":" << JsonString(KindName(a.macro_type))
                    << ",\"text\":" << JsonString(a.macro_desc) << "}";
            }
            out << "]\n";
            return kExitOk;
        }
        if (assignments.empty()) {
            out << "every key of layer " << layer << " keeps its own function\n";
        }
        for (const auto& a : assignments) {
            out << UsageLabel(a.key_code) << " (" << a.key_code << ")  " << KindName(a.macro_type)
                << "  " << Printable(a.macro_desc) << "\n";
        }
        return kExitOk;
    }
    if (action == "assign" && words.size() >= 4) {
        const auto usage = KeyUsage(layout, words[2]);
        if (!usage || layout.keyIndexMap.count(*usage) == 0) {
            err << "zephylctl: this keyboard has no key " << Printable(words[2]) << "\n";
            return kExitUsage;
        }
        if (layer == 1 && !layout.secondFnLayer) {
            err << "zephylctl: this keyboard has no Fn layer\n";
            return kExitUsage;
        }
        KeyAssignment record;
        const std::string reason = ReadAssignment(
            layout, database, std::vector<std::string>(words.begin() + 3, words.end()), record);
        if (!reason.empty()) {
            err << "zephylctl: " << reason << "\n";
            return kExitUsage;
        }
        return Finish(ApplyAssignment(database, layout, profile, layer, *usage, record), controller,
                      err);
    }
    if (action == "export" && words.size() == 3) {
        const auto tick = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
        const std::string path =
            ExportProfileKeys(database, profile, name, words[2], static_cast<std::uint64_t>(tick));
        if (path.empty()) {
            err << "zephylctl: cannot write into " << Printable(words[2]) << "\n";
            return kExitFailed;
        }
        out << path << "\n";
        return kExitOk;
    }
    if (action == "import" && words.size() == 3) {
        const KeyImport imported = ImportProfileKeys(database, words[2]);
        if (!imported.read || imported.profileId == 0) {
            err << "zephylctl: "
                << MessageText(imported.messageText ? imported.messageText : 895, 0) << "\n";
            return kExitFailed;
        }
        out << imported.profileId << "  " << Printable(imported.name) << "  (" << imported.stored
            << " keys)\n";
        if (imported.leftOut > 0) {
            err << "zephylctl: " << MessageText(imported.messageText, imported.leftOut) << "\n";
        }
        return kExitOk;
    }
    err << "zephylctl: usage: zephylctl keys [show | assign KEY KIND ... | export FOLDER | "
           "import FILE]\n";
    return kExitUsage;
}

int RunMacros(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
              std::ostream& err) {
    ProfileDatabase& database = controller.Database();
    MacroEditor editor(database, [](int text) { return LanguageText(text); });
    editor.LoadMacroPage();
    const auto& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "list";
    if (action == "list" && words.size() <= 2) {
        if (invocation.json) {
            out << "[";
            for (std::size_t i = 0; i < editor.Entries().size(); ++i) {
                out << (i ? "," : "") << "{\"id\":" << editor.Entries()[i].id
                    << ",\"name\":" << JsonString(editor.Entries()[i].text) << "}";
            }
            out << "]\n";
        } else {
            for (const auto& entry : editor.Entries()) {
                out << entry.id << "  " << Printable(entry.text) << "\n";
            }
        }
        return kExitOk;
    }
    if (action == "new" && words.size() == 2) {
        const PageOutcome outcome = editor.NewMacro();
        if (outcome.changed) {
            out << editor.SelectedId() << "\n";
        }
        return Finish(outcome, controller, err);
    }
    if (action == "send" && words.size() == 2) {
        PageOutcome outcome;
        outcome.commands = {kCommandWriteMacros};
        return Finish(outcome, controller, err);
    }
    if (action == "import" && words.size() == 3) {
        const MacroImport imported = ImportMacro(database, words[2]);
        if (!imported.read || imported.macroId == 0) {
            err << "zephylctl: "
                << MessageText(imported.messageText ? imported.messageText : 895, 0) << "\n";
            return kExitFailed;
        }
        out << imported.macroId << "  " << Printable(imported.name) << "  (" << imported.steps
            << " steps)\n";
        if (imported.leftOut > 0) {
            err << "zephylctl: " << MessageText(imported.messageText, imported.leftOut) << "\n";
        }
        return kExitOk;
    }
    const int id = words.size() > 2 ? Number(words[2]).value_or(-1) : -1;
    Macro macro;
    if ((action == "show" && words.size() == 3) || (action == "export" && words.size() == 4)) {
        if (id <= 0 || !database.GetMacro(id, macro)) {
            err << "zephylctl: no macro " << Printable(words[2])
                << " (zephylctl macros lists them)\n";
            return kExitFailed;
        }
        if (action == "export") {
            if (!ExportMacro(database, id, words[3])) {
                err << "zephylctl: cannot write " << Printable(words[3]) << "\n";
                return kExitFailed;
            }
            return kExitOk;
        }
        std::vector<MacroStep> steps;
        database.ListMacroSteps(id, steps);
        out << Printable(macro.name) << ": plays " << macro.play_times << " time(s), "
            << steps.size() << " steps\n";
        for (const auto& step : steps) {
            out << "  " << step.type << "  " << Printable(step.desc) << "  " << step.delay_time
                << " ms\n";
        }
        return kExitOk;
    }
    err << "zephylctl: usage: zephylctl macros [list | new | show ID | export ID FILE | "
           "import FILE | send]\n";
    return kExitUsage;
}

}  // namespace zephyl::cli
