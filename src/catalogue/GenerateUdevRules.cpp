// SPDX-License-Identifier: GPL-2.0-or-later
// Build-time tool: writes the udev rules for the keyboards that a config.xml declares.
#include "catalogue/DeviceCatalogue.h"
#include "catalogue/UdevRules.h"
#include "platform/Paths.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s RESOURCE_FOLDER OUTPUT_FILE\n", argv[0]);
        return 2;
    }
    const auto descriptions =
        zephyl::LoadDeviceDescriptions(zephyl::WithTrailingSlash(argv[1]), "", 0);
    if (descriptions.modes.empty()) {
        std::fprintf(stderr, "%s: no keyboard declared in %s/config.xml\n", argv[0], argv[1]);
        return 1;
    }
    const auto refused = zephyl::TextsThatBreakRuleLines(descriptions.modes, descriptions.models);
    for (const std::string& text : refused) {
        std::fprintf(stderr, "%s: config.xml: the %s holds a control character\n", argv[0],
                     text.c_str());
    }
    if (!refused.empty()) {
        return 1;
    }
    std::ofstream out(argv[2], std::ios::trunc);
    out << zephyl::UdevRulesFromModes(descriptions.modes, descriptions.models);
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
