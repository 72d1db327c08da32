// SPDX-License-Identifier: GPL-2.0-or-later
// A cable key write of both layers, as zephylctl makes it, compared report by report (reads
// included) with its golden trace: however the transport paces and waits, the keyboard gets the
// same bytes. Set ZEPHYL_RECORD_TRACES=1 to write the trace anew (then read the diff).
#include "support/TempEnvironment.h"
#include "support/Zephylctl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace zephyl {
namespace {

constexpr const char* kTrace = ZEPHYL_DEVICE_TRACE_DIR "/key_write_both_layers_cable.txt";

std::vector<std::string> LoggedReports(const std::string& logPath) {
    static const std::regex field(
        R"re("iface":"([a-z]+)".*"op":"([a-z_]+)".*"hex":"([0-9a-fA-F]*)")re");
    std::ifstream in(logPath);
    std::vector<std::string> reports;
    std::string text;
    while (std::getline(in, text)) {
        std::smatch m;
        if (std::regex_search(text, m, field)) {
            reports.push_back(std::string(m[1]) + " " + std::string(m[2]) + " " +
                              std::string(m[3]));
        }
    }
    return reports;
}

TEST(KeyWriteTraceTest, CableKeyWriteOfBothLayersSendsTheGoldenReports) {
    test::TempEnvironment environment;
    environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
    environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
    environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
    const std::string logPath = (environment.Root() / "reports.jsonl").string();
    environment.SetVariable("ZEPHYL_VIRTUAL_LOG", logPath);
    const test::CliResult run =
        test::RunZephylctl(environment.Root(), "--virtual-keyboard=101:0 keys assign A disable");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> reports = LoggedReports(logPath);

    if (std::getenv("ZEPHYL_RECORD_TRACES")) {
        std::ofstream out(kTrace);
        out << "# SPDX-License-Identifier: GPL-2.0-or-later\n"
               "# zephylctl keys assign A disable over the cable: the whole run, both key layers "
               "written.\n# iface op hex (bytes as they cross the hidapi call, report id first)\n";
        for (const std::string& line : reports) {
            out << line << "\n";
        }
    }
    std::ifstream in(kTrace);
    ASSERT_TRUE(in) << kTrace;
    std::vector<std::string> golden;
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text[0] != '#') {
            golden.push_back(text);
        }
    }
    EXPECT_EQ(reports, golden);
}

}  // namespace
}  // namespace zephyl
