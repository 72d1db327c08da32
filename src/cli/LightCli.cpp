// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/LightCli.h"

#include "app/KeyboardController.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "lighting/LightModes.h"
#include "lighting/LightingCommands.h"
#include "lighting/LightingFeature.h"
#include "lighting/UserLight.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "text/LanguageText.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <ostream>

namespace zephyl::cli {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int Usage(std::ostream& err, const std::string& message) {
    err << "zephylctl: " << message << "\n";
    return kExitUsage;
}

/// Sends what was stored, saying so when it cannot be sent now.
int Send(KeyboardController& controller, int command, std::ostream& err) {
    if (!controller.Connected() || controller.ConnectionMode() == kModeNone) {
        err << "zephylctl: "
            << NoKeyboardReason(controller, "stored, but no keyboard is connected", true) << "\n";
        return kExitFailed;
    }
    if (controller.ConnectionMode() == kModeBluetooth) {
        err << "zephylctl: stored; lighting is not sent over Bluetooth\n";
        return kExitFailed;
    }
    if (!controller.Ready()) {
        err << "zephylctl: stored, but the keyboard does not answer\n";
        return kExitFailed;
    }
    const CommandOutcome outcome = controller.RunCommand(command);
    if (!outcome.done) {
        err << "zephylctl: " << Printable(outcome.failure) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

std::optional<int> Direction(const std::string& text) {
    static const std::pair<const char*, int> kNames[] = {{"left", kDirectionLeft},
                                                         {"right", kDirectionRight},
                                                         {"up", kDirectionUp},
                                                         {"down", kDirectionDown}};
    for (const auto& [name, value] : kNames) {
        if (Lower(text) == name) {
            return value;
        }
    }
    return ParseWholeNumber(text, 0, 3);
}

int Effect(const std::vector<std::string>& words, KeyboardController& controller,
           std::ostream& err) {
    const KeyboardLayout& layout = *controller.Layout();
    if (words.size() < 3) {
        return Usage(err,
                     "usage: zephylctl light effect MODE [OPTIONS] (see zephylctl light --help)");
    }
    const auto mode = ParseWholeNumber(words[2], 0, kEffectCount - 1);
    if (!mode) {
        return Usage(err, "not an effect (0..19): " + words[2]);
    }
    std::optional<int> brightness, speed, direction;
    std::optional<std::uint32_t> colour;
    bool multicolour = false;
    for (size_t i = 3; i < words.size(); ++i) {
        const std::string& option = words[i];
        if (option == "--multicolour") {
            multicolour = true;
            continue;
        }
        if (i + 1 >= words.size()) {
            return Usage(err, "unknown option or missing value: " + option);
        }
        const std::string& value = words[++i];
        if (option == "--brightness") {
            brightness = ParseWholeNumber(value, 0, layout.brightnessMax);
            if (!brightness) {
                return Usage(err, "brightness out of range (0.." +
                                      std::to_string(layout.brightnessMax) + "): " + value);
            }
        } else if (option == "--speed") {
            speed = ParseWholeNumber(value, 0, layout.speedMax);
            if (!speed) {
                return Usage(err, "speed out of range (0.." + std::to_string(layout.speedMax) +
                                      "): " + value);
            }
        } else if (option == "--direction") {
            direction = Direction(value);
            if (!direction) {
                return Usage(err, "not a direction (left, right, up, down): " + value);
            }
        } else if (option == "--colour" || option == "--color") {
            colour = ParseHexColour(value);
            if (!colour) {
                return Usage(err, "not a colour (RRGGBB): " + value);
            }
        } else {
            return Usage(err, "unknown option: " + option);
        }
    }
    if (multicolour && colour) {
        return Usage(err, "--colour and --multicolour exclude each other");
    }
    ProfileDatabase& database = controller.Database();
    SeedLightEffects(database, layout);
    LightEffect effect;
    if (!database.GetLightEffect(*mode, effect)) {
        err << "zephylctl: the effect table cannot be read\n";
        return kExitFailed;
    }
    effect.brightness = brightness.value_or(effect.brightness);
    effect.speed = speed.value_or(effect.speed);
    effect.direction = direction.value_or(effect.direction);
    if (colour) {
        effect.colorful = 0;
        effect.color_value = static_cast<int>(*colour);
    } else if (multicolour) {
        effect.colorful = 1;
    }
    database.UpdateLightEffect(*mode, effect);
    database.SetActiveLightEffect(*mode);
    return Send(controller, kCommandSendLightEffect, err);
}

int Live(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
         std::ostream& err) {
    if (!controller.Connected() || controller.ConnectionMode() != kModeCable) {
        err << "zephylctl: live colours are read over the USB cable only\n";
        return kExitFailed;
    }
    const auto colours = ReadLiveColours(controller);
    if (colours.empty()) {
        err << "zephylctl: the keyboard did not give its colours\n";
        return kExitFailed;
    }
    if (invocation.json) {
        out << "[";
        for (size_t i = 0; i < colours.size(); ++i) {
            out << (i ? "," : "") << "{\"key_code\":" << colours[i].first
                << ",\"colour\":" << JsonString(HexColour(colours[i].second)) << "}";
        }
        out << "]\n";
        return kExitOk;
    }
    for (const auto& [code, colour] : colours) {
        out << code << " " << HexColour(colour) << "\n";
    }
    return kExitOk;
}

}  // namespace

int RunLight(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
             std::ostream& err) {
    const std::vector<std::string>& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "";
    if (action == "effect") {
        return Effect(words, controller, err);
    }
    if (action == "side" && words.size() == 3) {
        const auto number = ParseWholeNumber(words[2], 1, kSideLightModes);
        if (!number) {
            return Usage(err, "not a side-light mode (1..10): " + words[2]);
        }
        if (!controller.Layout()->HasCableFeature(kFeatureSideLight)) {
            err << "zephylctl: this keyboard has no side light\n";
            return kExitFailed;
        }
        controller.Database().SetConfigValue(kSettingsProfile, kConfigLightMode,
                                             std::to_string(*number));
        return Send(controller, kCommandSendSideLight, err);
    }
    if (action == "live" && words.size() == 2) {
        return Live(invocation, controller, out, err);
    }
    return Usage(err, "usage: zephylctl light effect MODE [OPTIONS] | side N | live");
}

namespace {

/// The set given with --set ID, else the first set; 0 when there is none.
std::optional<int> ChosenSet(const Invocation& invocation, ProfileDatabase& database,
                             std::string& error) {
    std::vector<UserLight> sets;
    database.ListUserLights(sets);
    if (!invocation.set) {
        return sets.empty() ? 0 : sets.front().userlight_id;
    }
    const int id = *invocation.set;
    if (std::none_of(sets.begin(), sets.end(),
                     [id](const UserLight& set) { return set.userlight_id == id; })) {
        error = "no user lighting set " + std::to_string(id) + " (see zephylctl userlight list)";
        return std::nullopt;
    }
    return id;
}

std::optional<int> KeyCode(const KeyboardLayout& layout, const std::string& text) {
    if (const auto number = ParseWholeNumber(text, 1, 255)) {
        return layout.lightIndexMap.count(*number) ? number : std::nullopt;
    }
    for (const LayoutKey& key : layout.keys) {
        if (Lower(key.name) == Lower(text)) {
            return key.code;
        }
    }
    return std::nullopt;
}

/// Every key of the keyboard with the colour the set gives it (dark when it gives none).
KeyColourList SetColours(ProfileDatabase& database, const KeyboardLayout& layout, int id) {
    std::map<int, std::uint32_t> stored;
    for (const KeyColour& key : UserLightColours(database, id)) {
        stored[key.keyCode] = std::uint32_t(key.colour);
    }
    KeyColourList keys;
    for (const LayoutKey& key : layout.keys) {
        const auto found = stored.find(key.code);
        keys.emplace_back(key.code, found == stored.end() ? 0u : found->second);
    }
    return keys;
}

int WriteSet(KeyboardController& controller, int id, std::ostream& err) {
    LightingStateOf(controller)->SelectUserLight(id);
    return Send(controller, kCommandWriteUserLight, err);
}

}  // namespace

int RunUserLight(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                 std::ostream& err) {
    const std::vector<std::string>& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "list";
    ProfileDatabase& database = controller.Database();
    const KeyboardLayout& layout = *controller.Layout();
    std::string error;
    if (action == "list" && words.size() <= 2) {
        std::vector<UserLight> sets;
        database.ListUserLights(sets);
        if (invocation.json) {
            out << "[";
            for (size_t i = 0; i < sets.size(); ++i) {
                out << (i ? "," : "") << "{\"id\":" << sets[i].userlight_id
                    << ",\"name\":" << JsonString(UserLightDisplayName(sets[i].name)) << "}";
            }
            out << "]\n";
        } else {
            for (const UserLight& set : sets) {
                out << set.userlight_id << " " << Printable(UserLightDisplayName(set.name)) << "\n";
            }
        }
        return kExitOk;
    }
    if (action == "new" && words.size() == 2) {
        const std::string name = NewUserLightName(database.CountUserLights());
        const int id = database.AddUserLight(kSettingsProfile, name);
        if (id <= 0) {
            err << "zephylctl: the set could not be stored\n";
            return kExitFailed;
        }
        if (invocation.json) {
            out << "{\"id\":" << id << ",\"name\":" << JsonString(name) << "}\n";
        } else {
            out << id << " " << name << "\n";
        }
        return kExitOk;
    }
    if (action == "import" && words.size() == 3) {
        const UserLightImport imported =
            ImportUserLight(database, words[2], static_cast<int>(layout.keys.size()));
        if (imported.messageText != 0) {
            std::string message = LanguageText(imported.messageText);
            if (const auto at = message.find("%d"); at != std::string::npos) {
                message.replace(at, 2, std::to_string(imported.messageCount));
            }
            err << "zephylctl: " << words[2] << ": " << message << "\n";
            return kExitFailed;
        }
        if (!imported.read || imported.id <= 0) {
            err << "zephylctl: not a user lighting file: " << Printable(words[2]) << "\n";
            return kExitFailed;
        }
        if (invocation.json) {
            out << "{\"id\":" << imported.id << ",\"name\":" << JsonString(imported.name) << "}\n";
        } else {
            out << imported.id << " " << Printable(imported.name) << "\n";
        }
        return kExitOk;
    }
    const bool known =
        (action == "set-key" && words.size() == 4) || (action == "fill" && words.size() == 3) ||
        (action == "send" && words.size() == 2) || (action == "export" && words.size() == 3);
    if (!known) {
        return Usage(err,
                     "usage: zephylctl userlight list | new | set-key KEY RRGGBB | fill "
                     "RRGGBB | send | import FILE | export FILE [--set ID]");
    }
    // Values are checked before anything else, so a mistake never gets as far as the keyboard.
    std::optional<int> code;
    std::optional<std::uint32_t> colour;
    if (action == "set-key" && !(code = KeyCode(layout, words[2]))) {
        return Usage(err, "no such key on this keyboard: " + Printable(words[2]));
    }
    if (action == "set-key" || action == "fill") {
        colour = ParseHexColour(words.back());
        if (!colour) {
            return Usage(err, "not a colour (RRGGBB): " + Printable(words.back()));
        }
    }
    const std::optional<int> chosen = ChosenSet(invocation, database, error);
    if (!chosen) {
        return Usage(err, error);
    }
    if (*chosen == 0) {
        err << "zephylctl: there is no user lighting set (see zephylctl userlight new)\n";
        return kExitFailed;
    }
    const int id = *chosen;
    if (action == "send" && words.size() == 2) {
        return WriteSet(controller, id, err);
    }
    if (action == "export" && words.size() == 3) {
        std::vector<UserLight> sets;
        database.ListUserLights(sets);
        std::string name;
        for (const UserLight& set : sets) {
            name = set.userlight_id == id ? UserLightDisplayName(set.name) : name;
        }
        if (!SaveUserLight(database, id, name, words[2])) {
            err << "zephylctl: cannot write " << Printable(words[2]) << "\n";
            return kExitFailed;
        }
        return kExitOk;
    }
    KeyColourList keys = SetColours(database, layout, id);
    for (auto& key : keys) {
        if (action == "fill" || key.first == *code) {
            key.second = *colour;
        }
    }
    StoreUserLightKeys(database, id, keys);
    return WriteSet(controller, id, err);
}

}  // namespace zephyl::cli
