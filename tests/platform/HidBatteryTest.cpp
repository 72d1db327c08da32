// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/HidBattery.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

// A small sysfs: power supplies linking to their HID devices.
class HidBatteryTest : public ::testing::Test {
protected:
    void AddSupply(const std::string& name, const std::string& hidDevice,
                   const std::string& capacity) {
        const fs::path device = m_environment.Root() / "devices" / "bt" / hidDevice;
        fs::create_directories(device);
        const fs::path supply = m_environment.Root() / "class" / "power_supply" / name;
        fs::create_directories(supply);
        fs::create_directory_symlink(device, supply / "device");
        test::WriteFile(supply / "capacity", capacity);
    }
    std::string Root() const { return m_environment.Root().string(); }
    test::TempEnvironment m_environment;
};

TEST_F(HidBatteryTest, FindsTheKeyboardsOwnSupply) {
    AddSupply("BAT0", "LNXSYSTM:00", "55\n");
    AddSupply("hid-mouse-battery", "0005:046D:B023.0004", "90\n");
    AddSupply("hid-keyboard-battery", "0005:1209:5A11.0007", "73\n");
    EXPECT_EQ(ReadBluetoothBatteryLevel(0x1209, 0x5A11, Root()), 73);
    EXPECT_EQ(ReadBluetoothBatteryLevel(0x1209, 0x5A12, Root()), std::nullopt);
}

TEST_F(HidBatteryTest, NoOrUnusableCapacityGivesNothing) {
    EXPECT_EQ(ReadBluetoothBatteryLevel(0x1209, 0x5A11, Root()), std::nullopt) << "no sysfs";
    AddSupply("hid-keyboard-battery", "0005:1209:5A11.0007", "unknown");
    EXPECT_EQ(ReadBluetoothBatteryLevel(0x1209, 0x5A11, Root()), std::nullopt);
}

TEST_F(HidBatteryTest, LevelsAboveHundredShowAsHundred) {
    AddSupply("hid-keyboard-battery", "0005:1209:5A11.0007", "140");
    EXPECT_EQ(ReadBluetoothBatteryLevel(0x1209, 0x5A11, Root()), 100);
}

}  // namespace
}  // namespace zephyl
