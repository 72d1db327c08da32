// SPDX-License-Identifier: GPL-2.0-or-later
#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace zephyl::bench {

namespace fs = std::filesystem;

void PrintRatio(const char* name, const std::string& measured, const std::string& goal,
                const std::string& anchor, bool met) {
    std::printf("RATIO\t%s\t%s\t%s\t%s\t%s\n", name, measured.c_str(), goal.c_str(), anchor.c_str(),
                met ? "met" : "MISSED");
}

std::string Format(const char* format, double value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

const fs::path& UseBenchFolders(const char* name) {
    static const fs::path folder = [name] {
        std::string pattern =
            (fs::temp_directory_path() / (std::string("zephyl-bench-") + name + "-XXXXXX"))
                .string();
        const char* made = mkdtemp(pattern.data());
        const fs::path root = made ? fs::path(made) : fs::temp_directory_path();
        for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
            fs::create_directories(root / variable);
            // Qt wants the runtime folder private, as the session's own is.
            fs::permissions(root / variable, fs::perms::owner_all, fs::perm_options::replace);
            setenv(variable, (root / variable).c_str(), 1);
        }
        unsetenv("ZEPHYL_VIRTUAL_STATE");
        unsetenv("ZEPHYL_VIRTUAL_LOG");
        return root;
    }();
    return folder;
}

void CountingClock::Sleep(int milliseconds) {
    m_sleptMs += milliseconds;
    const uint64_t before = m_steady.NowUs();
    m_steady.Sleep(milliseconds);
    const uint64_t slept = m_steady.NowUs() - before;
    const uint64_t asked = static_cast<uint64_t>(milliseconds) * 1000;
    m_overshootUs += static_cast<long long>(slept > asked ? slept - asked : 0);
}

void CountingClock::SleepUntilUs(uint64_t deadline) {
    ++m_pauses;
    m_steady.SleepUntilUs(deadline);
}

void CountingClock::Reset() {
    m_sleptMs = 0;
    m_pauses = 0;
    m_overshootUs = 0;
}

}  // namespace zephyl::bench
