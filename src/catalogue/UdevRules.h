// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/DeviceCatalogue.h"

#include <optional>
#include <string>
#include <vector>

namespace zephyl {

/// The interface number an `hid_interface` pattern names ("...&MI_01" gives 1), if any.
std::optional<int> InterfaceNumberOfPattern(const std::string& pattern);

/// udev rules that give the logged-in user (uaccess) the hidraw nodes of exactly the vendor
/// interfaces of every declared mode: over USB the interface number its pattern names, over
/// Bluetooth the product's HID device. Modes whose USB pattern names no interface get no rule,
/// because a rule for the whole product would also expose the typing interface.
std::string UdevRulesFromModes(const std::vector<KeyboardMode>& modes,
                               const std::vector<KeyboardModel>& models);

/// Texts of config.xml that would break a rule line (a control character in a model's name or
/// interface pattern), named for an error message; empty when the rules can be written.
std::vector<std::string> TextsThatBreakRuleLines(const std::vector<KeyboardMode>& modes,
                                                 const std::vector<KeyboardModel>& models);

}  // namespace zephyl
