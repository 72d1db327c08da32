// SPDX-License-Identifier: GPL-2.0-or-later
// A keyboard that is plugged in but that this user may not open: the sentence that names it
// and the way out, shared by the window and zephylctl.
#pragma once

#include <string>
#include <vector>

namespace zephyl {

/// Language texts of a keyboard this user may not open.
enum AccessProblemText : int {
    kTextAccessRefused = 1060,        ///< "%s": the model's name
    kTextAccessInstallRule = 1061,    ///< "%s": the rule file to install
    kTextAccessRuleInstalled = 1062,  ///< "%s": the installed rule file
    kTextAccessRuleNotFound = 1063,   ///< no rule file at hand
};

/// The file name of the udev rule the build generates and the package installs.
inline constexpr const char* kUdevRuleName = "70-zephyl-keyboard.rules";

/// Where the udev rule that lets the user at the seat open the keyboards is.
struct UdevRuleLocation {
    std::string installed;  ///< the rule file udev reads; empty when none is installed
    std::string source;     ///< a copy to install from (the build's or the package's); may be empty
    bool operator==(const UdevRuleLocation&) const = default;
};

/// The folders udev reads its rules from.
std::vector<std::string> UdevRuleFolders();

/// Looks for the rule in `ruleFolders` and, as a copy to install, where the build writes it
/// and where the package puts it, both found from the program's resource folder.
UdevRuleLocation FindUdevRule(const std::string& resourceFolder,
                              const std::vector<std::string>& ruleFolders = UdevRuleFolders());

/// "The <model> is plugged in but this user may not open it." and the way out: with no rule
/// installed, how to install it; with the rule installed, unplug and replug, and use the
/// program in the session logged in at the seat. One paragraph in the current language.
std::string AccessRefusedMessage(const std::string& modelName, const UdevRuleLocation& rule);

}  // namespace zephyl
