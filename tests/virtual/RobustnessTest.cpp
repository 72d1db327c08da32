// SPDX-License-Identifier: GPL-2.0-or-later
// Whatever bytes and calls the library gets, it answers or refuses; it never crashes or hangs.

#include "VirtualTestSupport.h"
#include "virtual/ModelCatalogue.h"
#include "virtual/Scenario.h"

#include <atomic>
#include <random>
#include <thread>

namespace zephyl::test {
namespace {

class VirtualRobustnessTest : public VirtualFixture {};

TEST_F(VirtualRobustnessTest, RandomReportsOnEveryInterfaceAreSurvived) {
    Load("102:0,2");
    std::vector<hid_device*> devices;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* info = list; info; info = info->next) {
        devices.push_back(hid_open_path(info->path));
        m_open.push_back(devices.back());
    }
    hid_free_enumeration(list);
    ASSERT_EQ(devices.size(), 7u);

    std::mt19937 random(20261209);
    // Mostly plausible commands, so the sessions get deep into their states, and some noise.
    const std::vector<std::uint8_t> commands = {
        0x02, 0x03, 0x05, 0x07, 0x09, 0x0B, 0x0C, 0x0D, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15,
        0x17, 0x18, 0x19, 0x1F, 0x20, 0x23, 0x27, 0x28, 0x72, 0x7F, 0x80, 0x81, 0xF0, 0xF5};
    Bytes buffer(5000, 0);
    for (int round = 0; round < 20000; ++round) {
        hid_device* device = devices[random() % devices.size()];
        const std::size_t length = random() % 3 == 0 ? random() % 4200 : 65;
        for (std::size_t i = 0; i < length; ++i) {
            buffer[i] = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : 0);
        }
        if (length > 3) {
            buffer[0] = 0;
            buffer[1] = random() % 2 ? 0x04 : commands[random() % commands.size()];
            buffer[2] = commands[random() % commands.size()];
            buffer[9] = static_cast<std::uint8_t>(random() % 12);
        }
        if (length > 32 && random() % 2) {
            std::uint8_t sum = 0;
            for (std::size_t i = 0; i < 32; ++i) {
                sum = static_cast<std::uint8_t>(sum + buffer[i]);
            }
            buffer[32] = sum;
        }
        switch (random() % 5) {
            case 0:
                hid_send_feature_report(device, buffer.data(), length);
                break;
            case 1:
                hid_get_feature_report(device, buffer.data(), length);
                break;
            case 2:
                hid_write(device, buffer.data(), length);
                break;
            case 3:
                hid_read_timeout(device, buffer.data(), length, 0);
                break;
            default:
                hid_get_input_report(device, buffer.data(), length);
                break;
        }
    }
    // The keyboard still works afterwards, whatever state the noise left it in.
    hid_device* receiver = OpenCable(0x5A22);
    while (hid_read_timeout(receiver, buffer.data(), 64, 0) > 0) {
    }
    EXPECT_EQ(HexOf(Exchange(receiver, Frame({{1, 0x02}}))).substr(0, 8), "02000001");
    EXPECT_FALSE(State().IsNull());
}

TEST_F(VirtualRobustnessTest, NullAndStaleArgumentsAreRefused) {
    Load("101:0");
    hid_device* cable = OpenCable(0x5A10);
    Bytes buffer(65, 0);
    EXPECT_EQ(hid_send_feature_report(cable, nullptr, 65), -1);
    EXPECT_EQ(hid_send_feature_report(cable, buffer.data(), 0), -1);
    EXPECT_EQ(hid_send_feature_report(cable, buffer.data(), 66), -1);
    EXPECT_EQ(hid_get_feature_report(cable, nullptr, 65), -1);
    EXPECT_EQ(hid_read_timeout(cable, nullptr, 65, 0), -1);
    EXPECT_EQ(hid_write(cable, buffer.data(), 65), -1);  // no output report there
    EXPECT_EQ(hid_get_report_descriptor(cable, nullptr, 10), -1);
    EXPECT_EQ(hid_get_product_string(cable, nullptr, 10), -1);
    EXPECT_EQ(hid_open_path(nullptr), nullptr);
    EXPECT_EQ(hid_open_path("/dev/hidraw0"), nullptr);
    EXPECT_NE(hid_error(nullptr), nullptr);

    // A handle from a scenario that has been replaced is dead, not dangling.
    Load("101:0");
    EXPECT_EQ(hid_send_feature_report(cable, buffer.data(), 65), -1);
    EXPECT_NE(hid_error(cable), nullptr);
    EXPECT_EQ(zephyl_virtual_next_change(nullptr, 0, nullptr), 0);
    EXPECT_EQ(zephyl_virtual_inject_fault(nullptr, 1), -1);
    EXPECT_EQ(zephyl_virtual_queue_notification(nullptr, 4), -1);
    EXPECT_GT(zephyl_virtual_state_json(nullptr, 0), 0u);
    char small[4];
    zephyl_virtual_state_json(small, sizeof small);
    EXPECT_STREQ(small, "{\"v");
}

TEST_F(VirtualRobustnessTest, ControlCallsFromAnotherThreadWhileTheHostWrites) {
    Load("101:0,2");
    hid_device* cable = OpenCable(0x5A10);
    hid_device* notices = OpenNotification(0x5A12);
    std::atomic<bool> done = false;
    std::thread control([&] {
        const Bytes notice = {0x01, 0x02};
        while (!done) {
            zephyl_virtual_state_json(nullptr, 0);
            zephyl_virtual_queue_notification(notice.data(), notice.size());
            zephyl_virtual_set_battery(101, 50);
        }
    });
    for (int round = 1; round <= 200; ++round) {
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x18}})), 1);
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x17}, {3, 1}, {9, 1}})), 1);
        ASSERT_TRUE(SendBlock(cable, Report(64, {{8, round}, {62, 0xAA}, {63, 0x55}})));
        ASSERT_EQ(Confirmed(cable, Report(65, {{1, 4}, {2, 0x02}})), 1);
        Bytes report(65, 0);
        hid_read_timeout(notices, report.data(), report.size(), 0);
    }
    done = true;
    control.join();
    EXPECT_EQ(Memory(101, "settings_view.1.key_respondtime"), "200");
    EXPECT_EQ(Memory(101, "counters.writes"), "200");
}

TEST_F(VirtualRobustnessTest, DamagedScenarioAndStateTextIsRefusedNotFatal) {
    const std::vector<virtualhid::ModelInfo> models =
        virtualhid::LoadModels(ZEPHYL_SOURCE_DATA_DIR "/");
    ASSERT_EQ(models.size(), 3u);
    const std::string valid =
        R"({"keyboards":[{"model":101,"modes":[0,2],"battery":5,"release":"0x0105"}],)"
        R"("events":[{"after_reports":1,"do":"notify","hex":"0102"},{"do":"press","key_code":4}],)"
        R"("faults":[{"fault":"no_echo","value":1}],"x":[1.5e3,-2,true,null,"\u00e9\ud83d\ude00"]})";
    virtualhid::Scenario scenario;
    std::string error;
    ASSERT_TRUE(virtualhid::ParseScenarioJson(valid, models, scenario, error)) << error;
    std::mt19937 random(4711);
    for (int round = 0; round < 5000; ++round) {
        std::string text = valid;
        for (int k = 0; k < 3; ++k) {
            text[random() % text.size()] = static_cast<char>(random());
        }
        text.resize(random() % 4 == 0 ? random() % text.size() : text.size());
        virtualhid::ParseScenarioJson(text, models, scenario, error);
        JsonValue json;
        ParseJson(text, json, error);
    }
    JsonValue json;
    EXPECT_FALSE(ParseJson(std::string(100000, '['), json, error));
    EXPECT_FALSE(ParseJson("{\"a\":1} x", json, error));
    EXPECT_FALSE(ParseJson("\"\\ud800\"", json, error));
    // Inline JSON works as a scenario too.
    EXPECT_EQ(zephyl_virtual_load_scenario(R"({"keyboards":[{"model":103}]})"), 0);
}

}  // namespace
}  // namespace zephyl::test
