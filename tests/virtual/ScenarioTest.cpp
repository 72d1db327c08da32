// SPDX-License-Identifier: GPL-2.0-or-later
// Scenarios, scheduled events, the state file that keeps the memory, and the report log.

#include "VirtualTestSupport.h"

#include <fstream>
#include <tuple>

namespace zephyl::test {
namespace {

class VirtualScenarioTest : public VirtualFixture {
protected:
    std::string WriteScenario(const std::string& json) {
        return WriteFile(m_environment.Root() / "scenario.json", json).string();
    }

    /// The product ids the system lists now, in order.
    std::vector<int> ProductIds() {
        std::vector<int> ids;
        hid_device_info* devices = hid_enumerate(0, 0);
        for (hid_device_info* info = devices; info; info = info->next) {
            if (info->usage_page == 0xFF00) {
                ids.push_back(info->product_id);
            }
        }
        hid_free_enumeration(devices);
        return ids;
    }

    void WriteSettings(hid_device* cable, int sleepTime) {
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 1);
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x17}, {3, 1}, {9, 1}})), 1);
        ASSERT_TRUE(SendBlock(cable, Report(64, {{6, sleepTime}, {62, 0xAA}, {63, 0x55}})));
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x02}})), 1);
    }
};

TEST_F(VirtualScenarioTest, ShortFormsChooseModelsAndConnections) {
    const std::vector<std::pair<std::string, std::vector<int>>> cases = {
        {"101:0,2", {0x5A10, 0x5A12}},
        {"102", {0x5A20, 0x5A22}},
        {"101:1;103:0", {0x5A11, 0x5A30}},
        {"", {0x5A10}},  // nothing asked: the first model on its cable
    };
    for (const auto& [scenario, ids] : cases) {
        SCOPED_TRACE(scenario);
        ASSERT_EQ(zephyl_virtual_load_scenario(scenario.c_str()), 0);
        EXPECT_EQ(ProductIds(), ids);
    }
}

TEST_F(VirtualScenarioTest, BadScenariosAreRefusedAndLeaveThePresentOne) {
    const std::vector<std::string> bad = {
        "999:0",
        "101:5",
        "101:0,x",
        "103:2",  // the model has no receiver
        "101;101",
        "/no/such/file.json",
        R"({"keyboards":[{"model":101,"battery":300}]})",
        R"({"keyboards":[{"modes":[0]}]})",
        R"({"keyboards":[{"model":101}],"events":[{"do":"explode"}]})",
        R"({"keyboards":[{"model":101}],"events":[{"do":"unplug"}]})",
        R"({"keyboards":[{"model":101}],"events":[{"do":"fault","fault":"gremlins"}]})",
        R"({"keyboards":[{"model":101}],"faults":[{"fault":"busy"}]})",
        R"({"keyboards":[{"model":101}],"events":[{"do":"sleep","model":102}]})",
        R"({"keyboards":[{"model":101,"release":"0x10000"}]})",
        R"({"keyboards":[{"model":101})",
    };
    Load("103:0");
    for (const std::string& scenario : bad) {
        SCOPED_TRACE(scenario);
        const std::string argument = scenario.starts_with("{") ? WriteScenario(scenario) : scenario;
        EXPECT_EQ(zephyl_virtual_load_scenario(argument.c_str()), -1);
        EXPECT_EQ(ProductIds(), std::vector<int>{0x5A30});
    }
}

TEST_F(VirtualScenarioTest, JsonScenarioSetsConditionEventsAndFaults) {
    const std::string path = WriteScenario(R"({
        "keyboards": [{"model": 101, "modes": [2], "battery": 42, "release": "0x0203"}],
        "events": [
            {"after_reports": 2, "do": "battery", "value": 17},
            {"after_reports": 4, "do": "sleep"},
            {"after_reports": 4, "do": "plug", "mode": 0}
        ],
        "faults": [{"fault": "lost_answer", "value": 1}]
    })");
    Load(path);
    hid_device_info* devices = hid_enumerate(0x1209, 0x5A12);
    ASSERT_NE(devices, nullptr);
    EXPECT_EQ(devices->release_number, 0x0203);
    hid_free_enumeration(devices);

    hid_device* receiver = OpenCable(0x5A12);
    hid_device* notices = OpenNotification(0x5A12);
    const Bytes battery = Frame({{1, 0x20}, {2, 0x01}});
    EXPECT_TRUE(Exchange(receiver, battery).empty());  // report 1, answer lost
    EXPECT_EQ(HexOf(Exchange(receiver, battery)).substr(0, 8), "2001002a");  // reports 2, 3
    EXPECT_EQ(HexOf(Exchange(receiver, battery)).substr(0, 8), "20010011");  // reports 4, 5
    EXPECT_TRUE(Exchange(receiver, battery).empty());                        // asleep now
    Bytes notice(65, 0);
    EXPECT_EQ(hid_read_timeout(notices, notice.data(), notice.size(), 0), 65);
    EXPECT_EQ(notice[2], 0xFE);
    EXPECT_EQ(ProductIds(), (std::vector<int>{0x5A12, 0x5A10}));
    char changePath[256];
    int arrived = 0;
    ASSERT_EQ(zephyl_virtual_next_change(changePath, sizeof changePath, &arrived), 1);
    EXPECT_EQ(arrived, 1);
}

TEST_F(VirtualScenarioTest, TimedEventReachesAReaderThatIsWaiting) {
    // Due once 30 ms have passed and two reports were exchanged, whichever comes last, so the
    // notice cannot go out before the notification interface is open.
    Load(R"({"keyboards":[{"model":101,"modes":[2],"asleep":true}],)"
         R"("events":[{"after_ms":30,"after_reports":2,"do":"wake"}]})");
    hid_device* receiver = OpenCable(0x5A12);
    hid_device* notices = OpenNotification(0x5A12);
    EXPECT_TRUE(Exchange(receiver, Frame({{1, 0x02}})).empty());
    EXPECT_TRUE(Exchange(receiver, Frame({{1, 0x02}})).empty());
    Bytes notice(65, 0);
    ASSERT_EQ(hid_read_timeout(notices, notice.data(), notice.size(), 10000), 65);
    EXPECT_EQ(HexOf(Bytes(notice.begin(), notice.begin() + 4)), "05a6ff01");
    EXPECT_EQ(Exchange(receiver, Frame({{1, 0x02}})).size(), 32u);
}

TEST_F(VirtualScenarioTest, StateFileKeepsEachModelsMemoryAcrossRuns) {
    const std::string statePath = (m_environment.Root() / "state.json").string();
    m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", statePath);
    Load("101:0");
    WriteSettings(OpenCable(0x5A10), 3);
    Load("103:0");
    WriteSettings(OpenCable(0x5A30), 1);
    // Another run, another connection: the keyboard remembers.
    Load("101:2");
    EXPECT_EQ(Memory(101, "settings_view.1.sleep_time"), "3");
    EXPECT_EQ(Memory(103, "settings_view.1.sleep_time"), "1");

    JsonValue file;
    std::string error;
    ASSERT_TRUE(ParseJson(ReadFile(statePath), file, error)) << error;
    EXPECT_EQ(file["keyboards"]["101"]["settings_view"]["1"]["sleep_time"].AsInt(), 3);

    // Without the state file every run starts from the factory.
    m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
    Load("101:0");
    EXPECT_EQ(Memory(101, "settings"), "{}");

    // A damaged file is a wiped keyboard, nothing worse.
    WriteFile(statePath, "{\"keyboards\":{\"101\":{\"settings\":{\"1\":\"zz\"},\"key_tables\":7}");
    m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", statePath);
    Load("101:0");
    EXPECT_EQ(Memory(101, "settings"), "{}");
    WriteFile(statePath,
              "{\"keyboards\":{\"101\":{\"settings\":{\"1\":\"00\",\"x\":\"00\"},\"key_tables\":"
              "[\"00\"],\"screen\":{\"current_slot\":99}}}}");
    Load("101:0");
    EXPECT_EQ(Memory(101, "settings"), "{}");
    EXPECT_EQ(Memory(101, "key_tables.0"), std::string(1152, '0'));
}

TEST_F(VirtualScenarioTest, ReportLogShowsEveryReportAsItCrossedTheCall) {
    const std::string logPath = (m_environment.Root() / "reports.jsonl").string();
    m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", logPath);
    Load("101:0,2");
    hid_device* receiver = OpenCable(0x5A12);
    hid_device* cable = OpenCable(0x5A10);
    Exchange(receiver, Frame({{1, 0x02}}));
    Exchange(receiver, Frame({{1, 0x20}, {2, 0x01}}));
    Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}}));

    const std::vector<std::tuple<std::string, std::string, std::string>> expected = {
        {"receiver", "write", "0002" + std::string(60, '0') + "02"},
        {"receiver", "read", "02000001" + std::string(56, '0')},
        {"receiver", "write", "00200100" + std::string(56, '0') + "21"},
        {"receiver", "read", "20010064" + std::string(56, '0')},
        {"cable", "set_feature", "000418" + std::string(124, '0')},
        {"cable", "get_feature", "0004180001" + std::string(120, '0')},
    };
    std::ifstream log(logPath);
    std::string line;
    std::size_t index = 0;
    long long lastTime = 0;
    while (std::getline(log, line)) {
        ASSERT_LT(index, expected.size()) << line;
        JsonValue entry;
        std::string error;
        ASSERT_TRUE(ParseJson(line, entry, error)) << line;
        const auto& [iface, op, hex] = expected[index++];
        EXPECT_EQ(entry["iface"].AsString(), iface);
        EXPECT_EQ(entry["op"].AsString(), op);
        EXPECT_EQ(entry["hex"].AsString(), hex);
        EXPECT_EQ(entry["model"].AsInt(), 101);
        EXPECT_GE(entry["t"].AsInt(-1), lastTime);
        lastTime = entry["t"].AsInt();
    }
    EXPECT_EQ(index, expected.size());
}

}  // namespace
}  // namespace zephyl::test
