// SPDX-License-Identifier: GPL-2.0-or-later
// What the write-ahead log with synchronous = NORMAL costs next to a rollback journal without
// any sync, for the writes and reads the pages do most. Each benchmark runs for both settings
// in the same run, and the ratios are printed at the end.
#include "store/ProfileDatabase.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zephyl {
namespace {

constexpr JournalSettings kSettings[] = {JournalSettings::kWalNormal,
                                         JournalSettings::kRollbackSyncOff};
constexpr const char* kSettingNames[] = {"wal_normal", "rollback_sync_off"};
constexpr int kLayerKeys = 144;  // every slot of a 576-byte key table
constexpr int kBatchRows = 576;

// Removed at the end when this run made it.
std::string g_temporaryFolder;

// $ZEPHYL_BENCH_DIR, else a fresh folder below the system's temporary folder. Either way it
// should be on a real disk, or the syncs being measured cost nothing.
const std::string& DataFolder() {
    static const std::string folder = [] {
        std::string root = ".";
        if (const char* chosen = std::getenv("ZEPHYL_BENCH_DIR")) {
            root = chosen;
        } else {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "zephyl-bench-XXXXXX").string();
            if (mkdtemp(pattern.data()) != nullptr) {
                root = g_temporaryFolder = pattern;
            }
        }
        std::filesystem::create_directories(root + "/db");
        std::printf("database folder: %s\n", root.c_str());
        return root + "/";
    }();
    return folder;
}

std::unique_ptr<ProfileDatabase> g_databases[2];

// One database per setting, opened on first use and filled like a database in daily use.
ProfileDatabase& Database(int setting) {
    if (!g_databases[setting]) {
        auto db = std::make_unique<ProfileDatabase>(DatabaseOptions{kSettings[setting], {}});
        const std::string model = std::string("bench_") + kSettingNames[setting];
        db->DeleteModelDatabase(DataFolder(), model);
        if (!db->OpenModelDatabase(DataFolder(), model)) {
            std::fprintf(stderr, "cannot create %s\n", db->Path().c_str());
            std::exit(1);
        }
        std::vector<Profile> profiles;
        db->PrepareProfiles("My Config", profiles);
        for (int profile = 1; profile <= 3; ++profile) {
            for (int layer = 0; layer < 2; ++layer) {
                for (int key = 0; key < kLayerKeys; ++key) {
                    db->SaveKeyAssignment(
                        KeyAssignment{0, profile, layer, 4 + key, 0, "", 2, key + 1, 0, 0, "Key"});
                }
            }
        }
        g_databases[setting] = std::move(db);
    }
    return *g_databases[setting];
}

void BM_SingleRowUpdate(benchmark::State& state) {
    const int setting = static_cast<int>(state.range(0));
    ProfileDatabase& db = Database(setting);
    const std::string values[] = {"1", "2"};
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.SetConfigValue(1, "sleep_time", values[++n & 1]));
    }
    state.SetLabel(kSettingNames[setting]);
}

void BM_ListKeyAssignments(benchmark::State& state) {
    const int setting = static_cast<int>(state.range(0));
    ProfileDatabase& db = Database(setting);
    std::vector<KeyAssignment> list;
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.ListKeyAssignments(2, 0, list));
    }
    if (list.size() != kLayerKeys) {
        state.SkipWithError("the layer is not full");
    }
    state.SetLabel(kSettingNames[setting]);
}

void BM_BatchInsert576(benchmark::State& state) {
    const int setting = static_cast<int>(state.range(0));
    ProfileDatabase& db = Database(setting);
    std::vector<UserLightKey> rows;
    for (int row = 0; row < kBatchRows; ++row) {
        rows.push_back(UserLightKey{0, 1, 1, row, row * 0x010101});
    }
    for (auto _ : state) {
        db.AddUserLightKeys(rows);
        state.PauseTiming();
        db.DeleteUserLightKeys(1);  // keep every round's table the same size
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kBatchRows);
    state.SetLabel(kSettingNames[setting]);
}

BENCHMARK(BM_SingleRowUpdate)->Arg(0)->Arg(1);
BENCHMARK(BM_ListKeyAssignments)->Arg(0)->Arg(1);
BENCHMARK(BM_BatchInsert576)->Arg(0)->Arg(1);

// Keeps each run's time so the two settings of one benchmark can be compared at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        std::printf(
            "\nwal_normal / rollback_sync_off (real time; above 1 means the log costs "
            "more):\n");
        for (const char* name :
             {"BM_SingleRowUpdate", "BM_ListKeyAssignments", "BM_BatchInsert576"}) {
            const auto wal = m_times.find(std::string(name) + "/0");
            const auto off = m_times.find(std::string(name) + "/1");
            if (wal == m_times.end() || off == m_times.end() || off->second <= 0) {
                continue;
            }
            std::printf("  %-24s %8.3f  (%.0f ns vs %.0f ns)\n", name, wal->second / off->second,
                        wal->second, off->second);
        }
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace
}  // namespace zephyl

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    zephyl::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    for (auto& database : zephyl::g_databases) {
        database.reset();
    }
    if (!zephyl::g_temporaryFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(zephyl::g_temporaryFolder, ignored);
    }
    return 0;
}
