// SPDX-License-Identifier: GPL-2.0-or-later
#include "catalogue/UdevRules.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

KeyboardMode Mode(int mode, int pid, const std::string& pattern) {
    KeyboardMode record;
    record.deviceType = 101;
    record.mode = mode;
    record.vid = 0x1209;
    record.pid = pid;
    record.interfacePattern = pattern;
    return record;
}

TEST(UdevRulesTest, InterfaceNumberComesFromThePattern) {
    EXPECT_EQ(InterfaceNumberOfPattern("VID_1209&PID_0001&MI_01"), 1);
    EXPECT_EQ(InterfaceNumberOfPattern("VID_1209&PID_0001&MI_0A"), 10);
    EXPECT_EQ(InterfaceNumberOfPattern("VID_1209&PID_0001"), std::nullopt);
    EXPECT_EQ(InterfaceNumberOfPattern("MI_0"), std::nullopt);
}

TEST(UdevRulesTest, GrantsOnlyTheNamedVendorInterfaces) {
    KeyboardModel model;
    model.name = "K100";
    model.deviceType = 101;
    const std::vector<KeyboardMode> modes = {
        Mode(kModeCable, 0xA001, "VID_1209&PID_A001&MI_01"),
        Mode(kModeCable, 0xA001, "VID_1209&PID_A001&MI_01"),  // repeated: one rule
        Mode(kModeReceiver, 0xA002, "VID_1209&PID_A002&MI_02"),
        Mode(kModeBluetooth, 0xA003, ""),
        Mode(kModeCable, 0xA004, "VID_1209&PID_A004"),  // no interface named: no rule
    };
    const std::string rules = UdevRulesFromModes(modes, {model});

    const std::string expectedLines[] = {
        "SUBSYSTEM!=\"hidraw\", GOTO=\"zephyl_keyboard_end\"\n",
        "KERNELS==\"0003:1209:*\", IMPORT{builtin}=\"usb_id\"\n",
        "# K100, cable\nKERNELS==\"0003:1209:A001.*\", ENV{ID_USB_INTERFACE_NUM}==\"01\", "
        "TAG+=\"uaccess\"\n",
        "# K100, receiver\nKERNELS==\"0003:1209:A002.*\", ENV{ID_USB_INTERFACE_NUM}==\"02\", "
        "TAG+=\"uaccess\"\n",
        "# K100, Bluetooth\nKERNELS==\"0005:1209:A003.*\", TAG+=\"uaccess\"\n",
        "LABEL=\"zephyl_keyboard_end\"\n",
    };
    for (const auto& line : expectedLines) {
        EXPECT_NE(rules.find(line), std::string::npos) << line << "\nin:\n" << rules;
    }
    EXPECT_EQ(rules.find("A001.*"), rules.rfind("A001.*")) << "duplicate rule";
    EXPECT_EQ(rules.find("A004.*"), std::string::npos);
    EXPECT_EQ(rules.find("MODE="), std::string::npos) << "access goes to the seat's user only";
}

// A model name from config.xml that carries a line break must not smuggle a rule in.
TEST(UdevRulesTest, TextsThatWouldBreakARuleLineAreRefusedAndNeverWritten) {
    KeyboardModel model;
    model.deviceType = 101;
    model.name = "K100\nKERNEL==\"hidraw*\", MODE=\"0666\"";
    const std::vector<KeyboardMode> modes = {
        Mode(kModeCable, 0xA001, "VID_1209&PID_A001&MI_01"),
        Mode(kModeCable, 0xA004, "VID_1209&PID_A004\rKERNEL==\"hidraw*\""),
    };
    EXPECT_EQ(TextsThatBreakRuleLines(modes, {model}),
              (std::vector<std::string>{"model 101 name", "model 101 hid_interface"}));
    const std::string rules = UdevRulesFromModes(modes, {model});
    EXPECT_EQ(rules.find("\nKERNEL==\"hidraw"), std::string::npos) << rules;
    EXPECT_EQ(rules.find('\r'), std::string::npos);

    model.name = "K100";
    EXPECT_TRUE(TextsThatBreakRuleLines({modes[0]}, {model}).empty());
}

}  // namespace
}  // namespace zephyl
