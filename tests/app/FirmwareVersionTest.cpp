// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/KeyboardSettings.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

TEST(FirmwareComparisonTest, Table) {
    struct Case {
        int release;
        const char* layoutVersion;
        bool offered;
    };
    const Case cases[] = {
        {0x0110, "110", false},  // the same release
        {0x0099, "100", true},  {0x0105, "106", true}, {0x0107, "106", false},
        {0x01A0, "110", false},  // a letter digit ranks above 9, never read as release 1
        {0x01A0, "200", true},  {0x0000, "106", true},  // no cable release known
        {0x0105, "", false},    {0x0105, "v2", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNewerFirmware(c.release, c.layoutVersion), c.offered)
            << std::hex << c.release << " vs " << c.layoutVersion;
    }
    EXPECT_EQ(FirmwareReleaseDigits(0x0105), "105");
}

}  // namespace
}  // namespace zephyl
