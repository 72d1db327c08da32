// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/AccessProblem.h"

#include "text/LanguageText.h"

#include <filesystem>
#include <system_error>

namespace zephyl {
namespace {

const char* EnglishText(int textId) {
    switch (textId) {
        case kTextAccessRefused:
            return "The %s is plugged in but this user may not open it.";
        case kTextAccessInstallRule:
            return "Install the udev rule that lets the user at the seat open it: sudo install -m "
                   "644 %s /etc/udev/rules.d/ && sudo udevadm control --reload && sudo udevadm "
                   "trigger --subsystem-match=hidraw, then unplug the keyboard and plug it in "
                   "again.";
        case kTextAccessRuleInstalled:
            return "The udev rule %s lets only the user logged in at the seat open it: unplug the "
                   "keyboard and plug it in again, and use the program in the session at the seat "
                   "(not over ssh or as another user).";
        case kTextAccessRuleNotFound:
            return "Install the udev rule 70-zephyl-keyboard.rules (written by the build to "
                   "build/packaging/) in /etc/udev/rules.d/, run sudo udevadm control --reload, "
                   "then unplug the keyboard and plug it in again.";
        default:
            return "";
    }
}

std::string Text(int textId, const std::string& argument) {
    std::string text = LanguageText(textId);
    if (text.empty()) {
        text = EnglishText(textId);
    }
    if (const auto at = text.find("%s"); at != std::string::npos) {
        text.replace(at, 2, argument);
    }
    return text;
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string Tidy(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path tidy = std::filesystem::weakly_canonical(path, error);
    return (error ? path.lexically_normal() : tidy).string();
}

}  // namespace

std::vector<std::string> UdevRuleFolders() {
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
            "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

UdevRuleLocation FindUdevRule(const std::string& resourceFolder,
                              const std::vector<std::string>& ruleFolders) {
    UdevRuleLocation rule;
    for (const std::string& folder : ruleFolders) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / kUdevRuleName;
        if (IsFile(candidate)) {
            rule.installed = Tidy(candidate);
            break;
        }
    }
    if (resourceFolder.empty()) {
        return rule;
    }
    // The build tree runs from build/bin/ with the rule in build/packaging/; an installed
    // program's data lies in <prefix>/share/<name>/ and its rule in <prefix>/lib/udev/rules.d/.
    const std::filesystem::path resources(resourceFolder);
    for (const std::filesystem::path& candidate :
         {resources / ".." / "packaging" / kUdevRuleName,
          resources / ".." / ".." / "lib" / "udev" / "rules.d" / kUdevRuleName}) {
        if (IsFile(candidate)) {
            rule.source = Tidy(candidate);
            break;
        }
    }
    return rule;
}

std::string AccessRefusedMessage(const std::string& modelName, const UdevRuleLocation& rule) {
    std::string message = Text(kTextAccessRefused, modelName) + " ";
    if (!rule.installed.empty()) {
        message += Text(kTextAccessRuleInstalled, rule.installed);
    } else if (!rule.source.empty()) {
        message += Text(kTextAccessInstallRule, rule.source);
    } else {
        message += Text(kTextAccessRuleNotFound, {});
    }
    return message;
}

}  // namespace zephyl
