// SPDX-License-Identifier: GPL-2.0-or-later
#include "catalogue/UdevRules.h"

#include <algorithm>

#include <cctype>
#include <cstdio>
#include <set>
#include <tuple>

namespace zephyl {
namespace {

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

bool BreaksALine(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Text from config.xml goes into comments only; a control character there could end the comment
// and start a rule of its own.
std::string CommentText(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = '?';
        }
    }
    return text;
}

std::string ModelName(const std::vector<KeyboardModel>& models, int deviceType) {
    const int index = FindModelIndex(models, deviceType);
    return index < 0 ? std::string("model ") + std::to_string(deviceType) : models[index].name;
}

const char* ModeName(int mode) {
    switch (mode) {
        case kModeCable:
            return "cable";
        case kModeBluetooth:
            return "Bluetooth";
        case kModeReceiver:
            return "receiver";
        default:
            return "unknown connection";
    }
}

}  // namespace

std::optional<int> InterfaceNumberOfPattern(const std::string& pattern) {
    const auto at = pattern.find("MI_");
    if (at == std::string::npos || at + 5 > pattern.size() ||
        !std::isxdigit(static_cast<unsigned char>(pattern[at + 3])) ||
        !std::isxdigit(static_cast<unsigned char>(pattern[at + 4]))) {
        return std::nullopt;
    }
    return std::stoi(pattern.substr(at + 3, 2), nullptr, 16);
}

std::string UdevRulesFromModes(const std::vector<KeyboardMode>& modes,
                               const std::vector<KeyboardModel>& models) {
    std::string rules =
        "# Generated from config.xml: lets the logged-in user open the vendor interfaces of\n"
        "# the Zephyl keyboards. The typing interfaces keep their default permissions.\n"
        "ACTION==\"remove\", GOTO=\"zephyl_keyboard_end\"\n"
        "SUBSYSTEM!=\"hidraw\", GOTO=\"zephyl_keyboard_end\"\n";

    std::set<int> usbVendors;
    for (const auto& mode : modes) {
        if (mode.mode != kModeBluetooth) {
            usbVendors.insert(mode.vid);
        }
    }
    for (int vid : usbVendors) {
        // Sets ID_USB_INTERFACE_NUM from the USB interface above the hidraw node.
        rules += "KERNELS==\"0003:" + Hex4(vid) + ":*\", IMPORT{builtin}=\"usb_id\"\n";
    }

    std::set<std::tuple<int, int, int, int>> written;
    for (const auto& mode : modes) {
        const std::string comment = "# " + CommentText(ModelName(models, mode.deviceType)) + ", " +
                                    ModeName(mode.mode) + "\n";
        if (mode.mode == kModeBluetooth) {
            if (written.insert({1, mode.vid, mode.pid, -1}).second) {
                rules += comment + "KERNELS==\"0005:" + Hex4(mode.vid) + ":" + Hex4(mode.pid) +
                         ".*\", TAG+=\"uaccess\"\n";
            }
            continue;
        }
        const auto interfaceNumber = InterfaceNumberOfPattern(mode.interfacePattern);
        if (!interfaceNumber) {
            rules += comment + "# no interface number in \"" + CommentText(mode.interfacePattern) +
                     "\": left without a rule\n";
            continue;
        }
        if (!written.insert({0, mode.vid, mode.pid, *interfaceNumber}).second) {
            continue;
        }
        char number[4];
        std::snprintf(number, sizeof number, "%02x", *interfaceNumber);
        rules += comment + "KERNELS==\"0003:" + Hex4(mode.vid) + ":" + Hex4(mode.pid) +
                 ".*\", ENV{ID_USB_INTERFACE_NUM}==\"" + number + "\", TAG+=\"uaccess\"\n";
    }
    rules += "LABEL=\"zephyl_keyboard_end\"\n";
    return rules;
}

std::vector<std::string> TextsThatBreakRuleLines(const std::vector<KeyboardMode>& modes,
                                                 const std::vector<KeyboardModel>& models) {
    std::vector<std::string> refused;
    for (const auto& model : models) {
        if (BreaksALine(model.name)) {
            refused.push_back("model " + std::to_string(model.deviceType) + " name");
        }
    }
    for (const auto& mode : modes) {
        if (BreaksALine(mode.interfacePattern)) {
            refused.push_back("model " + std::to_string(mode.deviceType) + " hid_interface");
        }
    }
    return refused;
}

}  // namespace zephyl
