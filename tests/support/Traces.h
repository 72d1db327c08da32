// SPDX-License-Identifier: GPL-2.0-or-later
// Golden traces: the reports the virtual keyboard logged, compared line by line with a file kept
// under tests/device/traces. Set ZEPHYL_RECORD_TRACES=1 to write the files anew (then read the
// diff).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <regex>
#include <string>
#include <vector>

namespace zephyl::test {

/// The virtual keyboard's report log as "iface op hex" lines, hex in lower case; only what the
/// host sent when `sentOnly`, else reads too.
inline std::vector<std::string> LoggedReports(std::istream& log, bool sentOnly) {
    static const std::regex field(
        R"re("iface":"([a-z]+)".*"op":"([a-z_]+)".*"hex":"([0-9a-fA-F]*)")re");
    std::vector<std::string> reports;
    std::string text;
    while (std::getline(log, text)) {
        std::smatch m;
        if (!std::regex_search(text, m, field) ||
            (sentOnly && m[2] != "write" && m[2] != "set_feature")) {
            continue;
        }
        std::string hex = m[3];
        std::transform(hex.begin(), hex.end(), hex.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        reports.push_back(std::string(m[1]) + " " + std::string(m[2]) + " " + hex);
    }
    return reports;
}

/// Compares `reports` with the golden trace at `path`, or writes it there first when recording.
inline void ExpectTrace(const std::string& path, const std::string& title,
                        const std::vector<std::string>& reports) {
    if (std::getenv("ZEPHYL_RECORD_TRACES")) {
        std::ofstream out(path);
        out << "# SPDX-License-Identifier: GPL-2.0-or-later\n# " << title
            << "\n# iface op hex (bytes as they cross the hidapi call, report id first)\n";
        for (const std::string& line : reports) {
            out << line << "\n";
        }
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::vector<std::string> golden;
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text[0] != '#') {
            golden.push_back(text);
        }
    }
    EXPECT_EQ(reports, golden) << path;
}

}  // namespace zephyl::test
