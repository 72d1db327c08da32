// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/KeyboardMemory.h"
#include "virtual/ModelCatalogue.h"

#include <string>
#include <string_view>
#include <vector>

namespace zephyl::virtualhid {

/// A keyboard present in a scenario.
struct ScenarioKeyboard {
    int deviceType = 0;
    std::vector<int> modes;  ///< connection modes plugged at the start
    int battery = 100;
    bool asleep = false;
    int release = -1;  ///< bcdDevice; -1: the model's own
    /// Listed, but opening any of its interfaces fails with EACCES, as for a user whom no udev
    /// rule lets open them.
    bool openRefused = false;
};

/// Something that happens while the scenario runs.
struct ScenarioEvent {
    long long afterMilliseconds = 0;  ///< since the scenario was loaded
    long long afterReports = -1;  ///< reports exchanged since the scenario was loaded; -1: unused
    int deviceType = 0;           ///< 0: the first keyboard of the scenario
    std::string action;           ///< sleep, wake, plug, unplug, battery, press, notify, fault
    int mode = -1;
    int value = 0;
    int keyCode = 0;
    int layer = 0;
    std::string fault;
    Bytes data;
};

struct ScenarioFault {
    std::string name;
    int value = 0;
};

struct Scenario {
    std::vector<ScenarioKeyboard> keyboards;
    std::vector<ScenarioEvent> events;
    std::vector<ScenarioFault> faults;
};

/// Reads a scenario: the short form "101:0,2" (several keyboards separated by ';', a model
/// without ':' plugged in every mode config.xml gives it), the JSON form itself (text starting
/// with '{'), or the path of a JSON scenario file.
/// An empty text means the first model of config.xml on its cable. Models and modes are checked
/// against `models`. Returns false with a one-line reason when the scenario cannot be used.
bool ParseScenario(std::string_view text, const std::vector<ModelInfo>& models, Scenario& scenario,
                   std::string& error);

/// Reads the JSON form from its text.
bool ParseScenarioJson(std::string_view json, const std::vector<ModelInfo>& models,
                       Scenario& scenario, std::string& error);

}  // namespace zephyl::virtualhid
