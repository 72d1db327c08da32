// SPDX-License-Identifier: GPL-2.0-or-later
// A cable key write of both layers, as zephylctl makes it, compared report by report (reads
// included) with its golden trace: however the transport paces and waits, the keyboard gets the
// same bytes.
#include "support/TempEnvironment.h"
#include "support/Traces.h"
#include "support/Zephylctl.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace zephyl {
namespace {

constexpr const char* kTrace = ZEPHYL_DEVICE_TRACE_DIR "/key_write_both_layers_cable.txt";

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
    std::ifstream log(logPath);
    test::ExpectTrace(kTrace,
                      "zephylctl keys assign A disable over the cable: the whole run, both key "
                      "layers written.",
                      test::LoggedReports(log, false));
}

}  // namespace
}  // namespace zephyl
