// SPDX-License-Identifier: GPL-2.0-or-later
// What the programs load when they start, before they fetch or capture anything.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace zephyl {
namespace {

/// The shared libraries `program` asks for when it starts.
std::vector<std::string> NeededLibraries(const std::string& program) {
    std::vector<std::string> needed;
    FILE* pipe = popen(("readelf -d '" + program + "' 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return needed;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const std::string text = line;
        const std::size_t open = text.find("Shared library: [");
        if (open != std::string::npos) {
            const std::size_t start = open + 17;
            needed.push_back(text.substr(start, text.find(']', start) - start));
        }
    }
    pclose(pipe);
    return needed;
}

// Libraries opened on first use (downloads, sound capture) or not used at all stay out of the
// programs' start.
TEST(LoadedLibrariesTest, TheProgramsStartWithoutTheLibrariesOpenedOnFirstUse) {
    for (const char* program : {"zephyl-keyboard-driver", "zephylctl"}) {
        SCOPED_TRACE(program);
        const std::string path = std::string(ZEPHYL_RUNTIME_DIR) + "/" + program;
        if (program != std::string("zephylctl") && !std::filesystem::exists(path)) {
            continue;  // the build without the window has only zephylctl
        }
        const std::vector<std::string> needed = NeededLibraries(path);
        ASSERT_FALSE(needed.empty()) << "readelf found no libraries";
        for (const std::string& library : needed) {
            for (const char* heavy :
                 {"libcurl", "libcrypto", "libssl", "libgnutls", "libpulse", "Network"}) {
                EXPECT_EQ(library.find(heavy), std::string::npos) << library;
            }
        }
    }
}

}  // namespace
}  // namespace zephyl
