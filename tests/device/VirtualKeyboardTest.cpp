// SPDX-License-Identifier: GPL-2.0-or-later
// The device layer against the virtual keyboard, in process: what the keyboard saw is read back
// from its report log and its memory.
#include "catalogue/DeviceCatalogue.h"
#include "device/DeviceChange.h"
#include "device/DeviceManager.h"
#include "protocol/ReportFrames.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace zephyl {
namespace {

struct LogLine {
    std::string iface;
    std::string op;
    std::string hex;
    int mode = -1;
};

using LoadScenarioFunction = int (*)(const char*);
using SetPluggedFunction = int (*)(int, int, int);
using NextChangeFunction = int (*)(char*, size_t, int*);
using InjectFaultFunction = int (*)(const char*, int);
using StateJsonFunction = size_t (*)(char*, size_t);

class VirtualKeyboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_environment = new test::TempEnvironment;
        s_logPath = (s_environment->Root() / "reports.jsonl").string();
        s_environment->SetVariable("ZEPHYL_RESOURCE_DIR", ZEPHYL_SOURCE_DATA_DIR "/");
        s_environment->SetVariable("ZEPHYL_VIRTUAL_LOG", s_logPath);
        s_environment->SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        s_environment->SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", "101:0");
        s_library = HidLibrary::LoadVirtual();
    }
    static void TearDownTestSuite() {
        s_library.reset();
        delete s_environment;
        s_environment = nullptr;
    }

    void SetUp() override {
        // The library is built with the test; not loading it is a fault of the build or the
        // loader. Only a build that leaves the virtual keyboard out skips these tests.
#ifdef ZEPHYL_HAVE_VIRTUAL_KEYBOARD
        ASSERT_TRUE(s_library->Loaded()) << "libzephyl-virtual-hid.so was built but does not load";
#else
        if (!s_library->Loaded()) {
            GTEST_SKIP() << "this build leaves the virtual keyboard out (ZEPHYL_SKIP_DIRS)";
        }
#endif
        m_loadScenario = reinterpret_cast<LoadScenarioFunction>(
            s_library->Symbol("zephyl_virtual_load_scenario"));
        m_setPlugged =
            reinterpret_cast<SetPluggedFunction>(s_library->Symbol("zephyl_virtual_set_plugged"));
        m_nextChange =
            reinterpret_cast<NextChangeFunction>(s_library->Symbol("zephyl_virtual_next_change"));
        m_injectFault =
            reinterpret_cast<InjectFaultFunction>(s_library->Symbol("zephyl_virtual_inject_fault"));
        m_stateJson =
            reinterpret_cast<StateJsonFunction>(s_library->Symbol("zephyl_virtual_state_json"));
        ASSERT_TRUE(m_loadScenario && m_setPlugged && m_nextChange && m_injectFault && m_stateJson);
        m_descriptions = LoadDeviceDescriptions(ZEPHYL_SOURCE_DATA_DIR "/", "skins/default/", 0);
        ASSERT_FALSE(m_descriptions.knownDevices.empty());
    }

    void Load(const std::string& scenario) {
        ASSERT_EQ(m_loadScenario(scenario.c_str()), 0) << scenario;
        DrainChanges();
    }

    std::vector<DeviceChange> DrainChanges() {
        std::vector<DeviceChange> changes;
        char path[1024];
        int arrived = 0;
        while (m_nextChange(path, sizeof path, &arrived) == 1) {
            changes.push_back({path, arrived != 0});
        }
        return changes;
    }

    /// A manager that knows config.xml's keyboards, refreshed and set to `deviceType`.
    std::unique_ptr<DeviceManager> Manager(int deviceType) {
        auto manager = std::make_unique<DeviceManager>(s_library);
        manager->AddKnownDevices(m_descriptions.knownDevices);
        Reopen(*manager, deviceType);
        return manager;
    }
    static void Reopen(DeviceManager& manager, int deviceType) {
        manager.Reopen();
        manager.SetSelectedDeviceType(deviceType);
    }

    /// Where the log ends now, to read what follows.
    static std::streamoff LogMark() {
        std::ifstream in(s_logPath, std::ios::ate);
        return in ? static_cast<std::streamoff>(in.tellg()) : 0;
    }
    static std::vector<LogLine> LogSince(std::streamoff mark) {
        std::ifstream in(s_logPath);
        in.seekg(mark);
        std::vector<LogLine> lines;
        static const std::regex field(
            R"re("iface":"([a-z]+)".*"op":"([a-z_]+)".*"hex":"([0-9a-fA-F]*)")re");
        static const std::regex modeField(R"re("mode":(\d+))re");
        std::string text;
        while (std::getline(in, text)) {
            std::smatch m;
            if (!std::regex_search(text, m, field)) {
                continue;
            }
            LogLine line{m[1], m[2], m[3], -1};
            std::transform(line.hex.begin(), line.hex.end(), line.hex.begin(), ::tolower);
            if (std::regex_search(text, m, modeField)) {
                line.mode = std::stoi(m[1]);
            }
            lines.push_back(line);
        }
        return lines;
    }
    static std::vector<LogLine> HostReports(const std::vector<LogLine>& lines) {
        std::vector<LogLine> out;
        for (const LogLine& line : lines) {
            if (line.op == "write" || line.op == "set_feature") {
                out.push_back(line);
            }
        }
        return out;
    }
    /// The keyboard's memory as JSON, lower case.
    std::string State() const {
        std::string text(m_stateJson(nullptr, 0) + 1, '\0');
        text.resize(m_stateJson(text.data(), text.size()));
        std::transform(text.begin(), text.end(), text.begin(), ::tolower);
        return text;
    }
    static std::vector<std::string> Golden(const std::string& name) {
        std::ifstream in(std::string(ZEPHYL_DEVICE_TRACE_DIR "/") + name);
        std::vector<std::string> lines;
        std::string text;
        while (std::getline(in, text)) {
            if (!text.empty() && text[0] != '#') {
                lines.push_back(text);
            }
        }
        return lines;
    }

    static inline test::TempEnvironment* s_environment = nullptr;
    static inline std::string s_logPath;
    static inline std::shared_ptr<HidLibrary> s_library;

    LoadScenarioFunction m_loadScenario = nullptr;
    SetPluggedFunction m_setPlugged = nullptr;
    NextChangeFunction m_nextChange = nullptr;
    InjectFaultFunction m_injectFault = nullptr;
    StateJsonFunction m_stateJson = nullptr;
    DeviceDescriptions m_descriptions;
};

TEST_F(VirtualKeyboardTest, ClassifiesEveryInterfaceKind) {
    const struct {
        const char* scenario;
        int deviceType;
        int mode;
        int usable;
        size_t bulk;
    } cases[] = {
        {"102:0", 102, kModeCable, 1, 1},  // screen model: command, notification, bulk
        {"101:0", 101, kModeCable, 1, 0},
        {"101:2", 101, kModeReceiver, 1, 0},   // the handshake is answered
        {"101:1", 101, kModeBluetooth, 1, 0},  // present only while connected: ready
        {R"({"keyboards":[{"model":101,"modes":[2],"asleep":true}]})", 101, kModeReceiver, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        std::string scenario = c.scenario;
        if (scenario.front() == '{') {
            scenario = test::WriteFile(s_environment->Root() / "asleep.json", scenario).string();
        }
        Load(scenario);
        auto manager = Manager(c.deviceType);
        std::vector<DeviceEntry> entries;
        ASSERT_TRUE(manager->CollectEntries(entries));
        ASSERT_EQ(entries.size(), 1u);  // the boot keyboard interface is left alone
        EXPECT_EQ(entries[0].connectionMode, c.mode);
        EXPECT_EQ(entries[0].usable, c.usable);
        EXPECT_EQ(entries[0].deviceType, c.deviceType);
        EXPECT_EQ(manager->BulkEntryCount(), c.bulk);
        EXPECT_TRUE(manager->HasNotificationHandle());
        EXPECT_EQ(manager->CurrentConnectionMode(), c.mode);
    }
}

TEST_F(VirtualKeyboardTest, ConnectionPreferences) {
    const struct {
        const char* scenario;
        int reportedMode;
        int handleMode;  // the connection the transport writes through
    } cases[] = {
        {"101:0,2", kModeCable, kModeCable},
        {"101:1,2", kModeReceiver, kModeBluetooth},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        Load(c.scenario);
        auto manager = Manager(101);
        EXPECT_EQ(manager->CurrentConnectionMode(), c.reportedMode);
        const auto mark = LogMark();
        manager->SendFeature(BuildRefreshCommand(), false);
        const auto sent = HostReports(LogSince(mark));
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].mode, c.handleMode);
        int firmware = -1;
        EXPECT_TRUE(manager->FirmwareVersion(firmware));
        EXPECT_EQ(firmware != 0, c.reportedMode == kModeCable);
    }
}

TEST_F(VirtualKeyboardTest, ReceiverHandshakeAndBatteryTrace) {
    const auto scenario =
        test::WriteFile(s_environment->Root() / "battery.json",
                        R"({"keyboards":[{"model":101,"modes":[2],"battery":57}]})");
    Load(scenario.string());
    const auto mark = LogMark();
    auto manager = Manager(101);
    ReceiverFrame battery{};
    battery[1] = 0x20;
    battery[2] = 0x01;
    ASSERT_TRUE(manager->Query(battery, 65));
    EXPECT_EQ(battery[0], 0x20);
    EXPECT_EQ(battery[3], 57);

    const auto lines = LogSince(mark);
    std::vector<std::string> sent;
    for (const LogLine& line : HostReports(lines)) {
        sent.push_back(line.iface + " " + line.op + " " + line.hex);
    }
    EXPECT_EQ(sent, Golden("receiver_handshake_battery.txt"));
    // Each request was answered with its echo, without a leading report id.
    std::vector<std::string> answers;
    for (const LogLine& line : lines) {
        if (line.iface == "receiver" && line.op == "read") {
            answers.push_back(line.hex.substr(0, 6));
        }
    }
    EXPECT_EQ(answers, (std::vector<std::string>{"020000", "200100"}));
}

TEST_F(VirtualKeyboardTest, CableWriteSequenceTrace) {
    Load("101:0");
    auto manager = Manager(101);
    std::vector<uint8_t> block(64, 0);
    const uint8_t settings[] = {0x01, 0x02, 0x00, 0x03, 0x01, 0x00};
    std::copy(std::begin(settings), std::end(settings), block.begin());
    SealBlock(block);

    const auto mark = LogMark();
    EXPECT_TRUE(manager->SendFeature(BuildBeginCommand(), true));
    EXPECT_TRUE(manager->SendFeature(BuildHeaderCommand(0x17, 0x01, 1), true));
    EXPECT_TRUE(manager->SendFeature(block, false));
    EXPECT_TRUE(manager->SendFeature(BuildEndCommand(), true));

    const auto lines = LogSince(mark);
    std::vector<std::string> sent;
    for (const LogLine& line : HostReports(lines)) {
        sent.push_back(line.iface + " " + line.op + " " + line.hex);
    }
    EXPECT_EQ(sent, Golden("cable_write_sequence.txt"));
    int readBacks = 0;
    for (const LogLine& line : lines) {
        if (line.op == "get_feature") {
            ++readBacks;
            EXPECT_EQ(line.hex.substr(8, 2), "01");  // report byte 4: accepted
        }
    }
    EXPECT_EQ(readBacks, 3);
    // The keyboard kept the block as its settings.
    std::string blockHex;
    for (const std::string& line : Golden("cable_write_sequence.txt")) {
        if (line.find("set_feature 0001") != std::string::npos) {
            blockHex = line.substr(line.size() - 128);
        }
    }
    ASSERT_EQ(blockHex.size(), 128u);
    EXPECT_NE(State().find("\"1\":\"" + blockHex + "\""), std::string::npos) << State();
}

TEST_F(VirtualKeyboardTest, CableFaults) {
    Load("101:0");
    auto manager = Manager(101);
    const struct {
        const char* fault;
        bool plain;
        bool timed;
    } cases[] = {
        {"busy", false, true},  // the timed form sends once more and is accepted
        {"wrong_status", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_EQ(m_injectFault(c.fault, 1), 0);
        EXPECT_EQ(manager->SendFeature(BuildBeginCommand(), true), c.plain);
        ASSERT_EQ(m_injectFault(c.fault, 1), 0);
        EXPECT_EQ(manager->SendFeatureTimed(BuildBeginCommand()), c.timed);
        EXPECT_TRUE(manager->SendFeature(BuildEndCommand(), true));  // fault used up
    }
}

TEST_F(VirtualKeyboardTest, ReceiverFaults) {
    Load("101:2");
    auto manager = Manager(101);
    const struct {
        const char* fault;
        bool ok;
    } cases[] = {{"lost_answer", false}, {"no_echo", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_EQ(m_injectFault(c.fault, 1), 0);
        ReceiverFrame frame{};
        frame[1] = 0x20;
        frame[2] = 0x01;
        EXPECT_EQ(manager->Query(frame, 65), c.ok);
        if (c.ok) {
            EXPECT_EQ(frame[0], 0x20);
        }
        ReceiverFrame again{};
        again[1] = 0x20;
        again[2] = 0x01;
        EXPECT_TRUE(manager->Query(again, 65));
    }
}

TEST_F(VirtualKeyboardTest, UnplugInABlockFailsCleanlyAndTheNextRefreshRecovers) {
    Load("101:0");
    auto manager = Manager(101);
    auto source = MakeDeviceChangeSource(*s_library);
    ASSERT_NE(source, nullptr);

    ASSERT_EQ(m_injectFault("unplug_in_block", 3), 0);
    std::vector<uint8_t> block(576, 0x5A);
    SealBlock(block);
    EXPECT_TRUE(manager->SendFeature(BuildBeginCommand(), true));
    EXPECT_TRUE(manager->SendFeature(BuildHeaderCommand(0x11, 0x00, 9), true));
    EXPECT_FALSE(manager->SendFeature(block, false));
    EXPECT_FALSE(manager->Busy());
    EXPECT_FALSE(manager->SendFeature(BuildEndCommand(), true));  // stale handle

    // Every interface of the connection is announced; the mode records pick out the command
    // interface's, once.
    std::vector<KeyboardMode> modes = m_descriptions.modes;
    for (KeyboardMode& mode : modes) {
        mode.connected = manager->ModeUsable(mode.vid, mode.pid, mode.name, mode.mode) >= 0;
    }
    auto commandsFor = [&modes](const std::vector<DeviceChange>& changes, bool arrived) {
        std::vector<int> commands;
        for (const DeviceChange& change : changes) {
            EXPECT_EQ(change.arrived, arrived) << change.path;
            if (const int command = DeviceChangeCommand(modes, change)) {
                commands.push_back(command);
            }
        }
        return commands;
    };
    EXPECT_EQ(commandsFor(DrainChanges(), false), std::vector<int>{kCommandDeviceRemoval});

    Reopen(*manager, 101);
    EXPECT_EQ(manager->CurrentConnectionMode(), kModeNone);

    ASSERT_EQ(m_setPlugged(101, kModeCable, 1), 0);
    EXPECT_EQ(commandsFor(DrainChanges(), true), std::vector<int>{kCommandDeviceArrival});

    Reopen(*manager, 101);
    EXPECT_EQ(manager->CurrentConnectionMode(), kModeCable);
    EXPECT_TRUE(manager->SendFeature(BuildBeginCommand(), true));
    EXPECT_TRUE(manager->SendFeature(BuildHeaderCommand(0x11, 0x00, 9), true));
    EXPECT_TRUE(manager->SendFeature(block, false));
    EXPECT_TRUE(manager->SendFeature(BuildEndCommand(), true));
}

}  // namespace
}  // namespace zephyl
