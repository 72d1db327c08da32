// SPDX-License-Identifier: GPL-2.0-or-later
// Loading and walking a keyboard layout file with XmlDocument, side by side with pugixml.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "xml/XmlDocument.h"

namespace {

namespace fs = std::filesystem;

std::string g_path;
std::vector<std::string> g_attributes;  // every attribute name of the file

/// The largest layout file of the source tree, or empty when there is none.
std::string LargestLayout() {
    std::error_code error;
    std::string best;
    uintmax_t bestSize = 0;
    for (const auto& entry : fs::directory_iterator(ZEPHYL_LAYOUT_DIR, error)) {
        if (entry.path().extension() != ".xml")
            continue;
        const uintmax_t size = entry.file_size(error);
        if (!error && size > bestSize) {
            bestSize = size;
            best = entry.path().string();
        }
    }
    return best;
}

/// A layout-like file of 150 keys with ten attributes each.
std::string WriteSyntheticLayout() {
    const fs::path path = fs::temp_directory_path() / "zephyl_bench_layout.xml";
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<layout name=\"synthetic\" version=\"1\">\r\n"
           "<menu macro=\"1\" light_mode=\"1\" user_light=\"1\" custom_light=\"1\"/>\r\n"
           "<Keyboard width=\"1030\" height=\"326\" row_count=\"6\" col_count=\"25\">\r\n"
           "<KeyItems>\r\n";
    for (int i = 0; i < 150; ++i) {
        const int row = i / 25;
        const int col = i % 25;
        out << "<key code=\"" << std::hex << (4 + i) << std::dec << "\" name=\"K" << i
            << "\" desc=\"Key &amp; " << i << "\" key_index=\"" << i + 1 << "\" light_index=\""
            << i + 1 << "\" row_col=\"" << row << ',' << col << "\" rect_left=\"" << 22 + col * 44
            << "\" rect_top=\"" << 22 + row * 44 << "\" rect_width=\"40\" rect_height=\"40\"/>\r\n";
    }
    out << "</KeyItems>\r\n</Keyboard>\r\n</layout>\r\n";
    return path.string();
}

void CollectAttributeNames(const pugi::xml_node& node, std::set<std::string>& names) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        for (const pugi::xml_attribute& attribute : child.attributes()) {
            names.insert(attribute.name());
        }
        CollectAttributeNames(child, names);
    }
}

void WalkZephyl(zephyl::XmlDocument& doc, size_t& values) {
    while (doc.FindAnyElement()) {
        for (const std::string& name : g_attributes) {
            std::string value = doc.GetAttribute(name);
            values += value.size();
            benchmark::DoNotOptimize(value);
        }
        if (doc.EnterElement()) {
            WalkZephyl(doc, values);
            doc.LeaveElement();
        }
    }
}

void WalkPugi(const pugi::xml_node& node, size_t& values) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        for (const std::string& name : g_attributes) {
            // Readers keep what they read, so the value is copied as ours is.
            std::string value = child.attribute(name.c_str()).value();
            values += value.size();
            benchmark::DoNotOptimize(value);
        }
        WalkPugi(child, values);
    }
}

void BM_ZephylLoad(benchmark::State& state) {
    for (auto _ : state) {
        zephyl::XmlDocument doc;
        if (!doc.Load(g_path))
            state.SkipWithError("XmlDocument could not load the file");
        benchmark::DoNotOptimize(doc.Text().data());
    }
}

void BM_PugiLoad(benchmark::State& state) {
    for (auto _ : state) {
        pugi::xml_document doc;
        if (!doc.load_file(g_path.c_str()))
            state.SkipWithError("pugixml could not load the file");
        benchmark::DoNotOptimize(doc.first_child());
    }
}

void BM_ZephylLoadWalk(benchmark::State& state) {
    size_t values = 0;
    for (auto _ : state) {
        zephyl::XmlDocument doc;
        if (!doc.Load(g_path))
            state.SkipWithError("XmlDocument could not load the file");
        WalkZephyl(doc, values);
    }
    state.counters["value_bytes"] = static_cast<double>(values) / state.iterations();
}

void BM_PugiLoadWalk(benchmark::State& state) {
    size_t values = 0;
    for (auto _ : state) {
        pugi::xml_document doc;
        if (!doc.load_file(g_path.c_str()))
            state.SkipWithError("pugixml could not load the file");
        WalkPugi(doc, values);
    }
    state.counters["value_bytes"] = static_cast<double>(values) / state.iterations();
}

// The load is a few tens of microseconds: on a shared machine one run of each can differ by a
// tenth from the next, so each is repeated and the ratio compares the fastest runs.
BENCHMARK(BM_ZephylLoad)->MinTime(0.2)->Repetitions(7);
BENCHMARK(BM_PugiLoad)->MinTime(0.2)->Repetitions(7);
BENCHMARK(BM_ZephylLoadWalk);
BENCHMARK(BM_PugiLoadWalk);

/// Prints as usual and keeps each benchmark's time per iteration for the summary: the least
/// of its repetitions, what the code takes when nothing else interferes.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const std::string& name = run.run_name.function_name;
                const double time = run.GetAdjustedCPUTime();
                const auto known = m_times.find(name);
                m_times[name] = known == m_times.end() ? time : std::min(known->second, time);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* what, const std::string& ours, const std::string& theirs) const {
        const auto a = m_times.find(ours);
        const auto b = m_times.find(theirs);
        if (a == m_times.end() || b == m_times.end() || b->second <= 0)
            return;
        std::printf("%-14s XmlDocument / pugixml CPU time ratio: %.2f\n", what,
                    a->second / b->second);
    }

    /// The report line of the load: our time against pugixml's on the same file (times are in
    /// nanoseconds, the benchmarks' unit).
    void PrintLoadRatio() const {
        const auto a = m_times.find("BM_ZephylLoad");
        const auto b = m_times.find("BM_PugiLoad");
        if (a == m_times.end() || b == m_times.end() || b->second <= 0)
            return;
        const double ratio = a->second / b->second;
        std::printf(
            "RATIO\tXML layout load vs pugixml\t%.2fx (%.0f us)\t<= %.2fx\tpugixml %.0f us"
            "\t%s\n",
            ratio, a->second / 1000, kLoadGoal, b->second / 1000,
            ratio <= kLoadGoal ? "met" : "MISSED");
    }

    static constexpr double kLoadGoal = 1.25;

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bool synthetic = false;
    g_path = LargestLayout();
    if (g_path.empty()) {
        g_path = WriteSyntheticLayout();
        synthetic = true;
    }
    pugi::xml_document probe;
    if (!probe.load_file(g_path.c_str())) {
        std::fprintf(stderr, "cannot parse %s\n", g_path.c_str());
        return 1;
    }
    std::set<std::string> names;
    CollectAttributeNames(probe, names);
    g_attributes.assign(names.begin(), names.end());
    std::printf("file: %s (%ju bytes, %zu attribute names)\n", g_path.c_str(),
                static_cast<uintmax_t>(fs::file_size(g_path)), g_attributes.size());

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("load:", "BM_ZephylLoad", "BM_PugiLoad");
    reporter.PrintRatio("load + walk:", "BM_ZephylLoadWalk", "BM_PugiLoadWalk");
    reporter.PrintLoadRatio();
    benchmark::Shutdown();
    if (synthetic)
        std::remove(g_path.c_str());
    return 0;
}
