// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/Scenario.h"

#include "virtual/Faults.h"
#include "virtual/Json.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

// Scenario files
// ==============
//
// A scenario says which keyboards are present, in what condition, and what happens to them
// while a program runs. The short form names models and connection modes:
//
//     101:0,2          model 101 on its cable (0) and its receiver (2)
//     101:2;103:0      two keyboards
//     102              model 102 in every connection mode config.xml gives it
//
// Text that starts with '{' is the JSON form itself; anything else is the path of a JSON file:
//
//     {
//       "keyboards": [
//         {"model": 101, "modes": [0, 2], "battery": 80, "asleep": false, "release": "0x0106"}
//       ],
//       "events": [
//         {"after_ms": 500, "model": 101, "do": "sleep"},
//         {"after_reports": 40, "do": "wake"},
//         {"after_ms": 1000, "do": "unplug", "mode": 0},
//         {"do": "plug", "mode": 0},
//         {"do": "battery", "value": 15},
//         {"do": "press", "key_code": 4, "layer": 0},
//         {"do": "notify", "hex": "01070000"},
//         {"do": "fault", "fault": "busy", "value": 2}
//       ],
//       "faults": [{"fault": "slow", "value": 20}]
//     }
//
// keyboards: "model" (required; a device_type of config.xml), "modes" (default: every mode of
// the model), "battery" (0..255, default 100: what the battery answer reports), "asleep"
// (default false: a sleeping wireless keyboard answers nothing through the receiver),
// "release" (bcdDevice as a number or "0x…" text; default: the layout's firmware version read as
// BCD digits), "open_refused" (default false: true lists the keyboard's interfaces but refuses
// to open them with EACCES, as the system does for a user whom no udev rule lets open them).
//
// events: each fires once, when both of its triggers are due: "after_ms" (milliseconds since
// the scenario was loaded, default 0) and "after_reports" (reports exchanged since then).
// "model" picks the keyboard (default: the first). "do" is one of:
//   sleep / wake   the keyboard sleeps or wakes, and says so on the notification interface of
//                  its wireless connections
//   plug / unplug  connection "mode" appears or disappears (with plug notifications)
//   battery        the battery level becomes "value"
//   press          key "key_code" (layout code) is pressed on "layer"; a key assigned to a host
//                  action reports it on the notification interface
//   notify         the report "hex" (data bytes after the report id) is sent as it stands
//   fault          fault "fault" is set to "value" (names as in Faults.h)
//
// faults: set when the scenario is loaded, as the fault event does.

namespace zephyl::virtualhid {

namespace {

bool ModeOfModel(const ModelInfo& model, int mode) {
    return model.FindMode(mode) != nullptr;
}

const ModelInfo* FindModel(const std::vector<ModelInfo>& models, int deviceType) {
    for (const ModelInfo& model : models) {
        if (model.deviceType == deviceType) {
            return &model;
        }
    }
    return nullptr;
}

bool ParseNumber(std::string_view text, int minimum, int maximum, int& value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    int result = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    if (result < minimum || result > maximum) {
        return false;
    }
    value = result;
    return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) {
            return parts;
        }
        start = at + 1;
    }
}

bool ParseShortForm(std::string_view text, const std::vector<ModelInfo>& models, Scenario& scenario,
                    std::string& error) {
    for (const std::string_view entry : Split(text, ';')) {
        const std::size_t colon = entry.find(':');
        ScenarioKeyboard keyboard;
        if (!ParseNumber(entry.substr(0, colon), 1, 1000000, keyboard.deviceType)) {
            error = "bad model id in \"" + std::string(entry) + "\"";
            return false;
        }
        const ModelInfo* model = FindModel(models, keyboard.deviceType);
        if (!model) {
            error = "model " + std::to_string(keyboard.deviceType) + " is not in config.xml";
            return false;
        }
        if (colon == std::string_view::npos) {
            for (const ModeInfo& mode : model->modes) {
                keyboard.modes.push_back(mode.mode);
            }
        } else {
            for (const std::string_view part : Split(entry.substr(colon + 1), ',')) {
                int mode = 0;
                if (!ParseNumber(part, 0, 2, mode) || !ModeOfModel(*model, mode)) {
                    error = "model " + std::to_string(keyboard.deviceType) + " has no mode \"" +
                            std::string(part) + "\"";
                    return false;
                }
                keyboard.modes.push_back(mode);
            }
        }
        scenario.keyboards.push_back(std::move(keyboard));
    }
    return true;
}

bool ReadRelease(const JsonValue& value, int& release) {
    if (value.IsNull()) {
        return true;
    }
    if (value.IsNumber()) {
        release = static_cast<int>(value.AsInt(-1, 0, 0xFFFF));
        return release >= 0;
    }
    const std::string& text = value.AsString();
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || parsed > 0xFFFF) {
        return false;
    }
    release = static_cast<int>(parsed);
    return true;
}

bool ReadKeyboard(const JsonValue& json, const std::vector<ModelInfo>& models,
                  ScenarioKeyboard& keyboard, std::string& error) {
    keyboard.deviceType = static_cast<int>(json["model"].AsInt(0, 1, 1000000));
    const ModelInfo* model = FindModel(models, keyboard.deviceType);
    if (!model) {
        error = "keyboard without a model of config.xml";
        return false;
    }
    if (json.Has("modes")) {
        for (const JsonValue& mode : json["modes"].Items()) {
            const int value = static_cast<int>(mode.AsInt(-1, 0, 2));
            if (!ModeOfModel(*model, value)) {
                error = "model " + std::to_string(keyboard.deviceType) + " has no such mode";
                return false;
            }
            keyboard.modes.push_back(value);
        }
    } else {
        for (const ModeInfo& mode : model->modes) {
            keyboard.modes.push_back(mode.mode);
        }
    }
    keyboard.battery = static_cast<int>(json["battery"].AsInt(-1, 0, 255));
    if (json.Has("battery") && keyboard.battery < 0) {
        error = "battery must be 0..255";
        return false;
    }
    if (!json.Has("battery")) {
        keyboard.battery = 100;
    }
    keyboard.asleep = json["asleep"].AsBool(false);
    keyboard.openRefused = json["open_refused"].AsBool(false);
    if (!ReadRelease(json["release"], keyboard.release)) {
        error = "release must be 0..0xFFFF";
        return false;
    }
    return true;
}

bool ReadEvent(const JsonValue& json, const Scenario& scenario, ScenarioEvent& event,
               std::string& error) {
    event.action = json["do"].AsString();
    event.afterMilliseconds = json["after_ms"].AsInt(0, 0, 1LL << 40);
    event.afterReports =
        json.Has("after_reports") ? json["after_reports"].AsInt(-1, 0, 1LL << 40) : -1;
    event.deviceType = static_cast<int>(json["model"].AsInt(0, 0, 1000000));
    if (event.deviceType != 0) {
        bool present = false;
        for (const ScenarioKeyboard& keyboard : scenario.keyboards) {
            present = present || keyboard.deviceType == event.deviceType;
        }
        if (!present) {
            error = "event for a model that is not in the scenario";
            return false;
        }
    }
    event.mode = static_cast<int>(json["mode"].AsInt(-1, 0, 2));
    event.value = static_cast<int>(json["value"].AsInt(0, 0, 1000000));
    event.keyCode = static_cast<int>(json["key_code"].AsInt(0, 0, 0xFFFF));
    event.layer = static_cast<int>(json["layer"].AsInt(0, 0, 1));
    event.fault = json["fault"].AsString();
    if (event.action == "notify" && !FromHex(json["hex"].AsString(), event.data)) {
        error = "notify event without valid hex";
        return false;
    }
    const bool known = event.action == "sleep" || event.action == "wake" ||
                       event.action == "plug" || event.action == "unplug" ||
                       event.action == "battery" || event.action == "press" ||
                       event.action == "notify" || event.action == "fault";
    if (!known) {
        error = "unknown event \"" + event.action + "\"";
        return false;
    }
    FaultState check;
    if (event.action == "fault" && !check.Set(event.fault, event.value)) {
        error = "unknown fault \"" + event.fault + "\"";
        return false;
    }
    if ((event.action == "plug" || event.action == "unplug") && event.mode < 0) {
        error = "plug and unplug events need a mode";
        return false;
    }
    return true;
}

}  // namespace

bool ParseScenarioJson(std::string_view text, const std::vector<ModelInfo>& models,
                       Scenario& scenario, std::string& error) {
    JsonValue json;
    if (!ParseJson(text, json, error)) {
        return false;
    }
    Scenario result;
    for (const JsonValue& entry : json["keyboards"].Items()) {
        ScenarioKeyboard keyboard;
        if (!ReadKeyboard(entry, models, keyboard, error)) {
            return false;
        }
        result.keyboards.push_back(std::move(keyboard));
    }
    for (const JsonValue& entry : json["events"].Items()) {
        ScenarioEvent event;
        if (!ReadEvent(entry, result, event, error)) {
            return false;
        }
        result.events.push_back(std::move(event));
    }
    for (const JsonValue& entry : json["faults"].Items()) {
        ScenarioFault fault;
        fault.name = entry["fault"].AsString();
        fault.value = static_cast<int>(entry["value"].AsInt(-1, 0, 1000000));
        FaultState check;
        if (fault.value < 0 || !check.Set(fault.name, fault.value)) {
            error = "unknown fault or value: \"" + fault.name + "\"";
            return false;
        }
        result.faults.push_back(std::move(fault));
    }
    scenario = std::move(result);
    return true;
}

bool ParseScenario(std::string_view text, const std::vector<ModelInfo>& models, Scenario& scenario,
                   std::string& error) {
    if (text.empty()) {
        if (models.empty() || models.front().modes.empty()) {
            error = "config.xml declares no keyboard";
            return false;
        }
        Scenario result;
        ScenarioKeyboard keyboard;
        keyboard.deviceType = models.front().deviceType;
        keyboard.modes.push_back(models.front().modes.front().mode);
        result.keyboards.push_back(keyboard);
        scenario = std::move(result);
        return true;
    }
    if (text.front() == '{') {
        return ParseScenarioJson(text, models, scenario, error);
    }
    if (std::isdigit(static_cast<unsigned char>(text.front()))) {
        Scenario result;
        if (!ParseShortForm(text, models, result, error)) {
            return false;
        }
        scenario = std::move(result);
        return true;
    }
    std::ifstream file{std::string(text), std::ios::binary};
    if (!file) {
        error = "cannot read scenario file " + std::string(text);
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    return ParseScenarioJson(content.str(), models, scenario, error);
}

}  // namespace zephyl::virtualhid
