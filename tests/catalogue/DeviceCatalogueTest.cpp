// SPDX-License-Identifier: GPL-2.0-or-later
#include "catalogue/DeviceCatalogue.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

constexpr const char* kTwoModels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<config>\r\n"
    "<device.info>\r\n"
    "<keyboard name=\"K100\" device_type=\"101\" device_info=\"k100\" img_connected=\"on.png\" "
    "img_disconnected=\"off.png\">\r\n"
    "<mode value=\"0\" desc=\"USB\" vid=\"1209\" pid=\"1A2C\" product_name=\"Zephyl K100\" "
    "hid_interface=\"VID_1209&amp;PID_1A2C&amp;MI_01\"/>\r\n"
    "<mode value=\"2\" desc=\"2.4G\" vid=\"1209\" pid=\"1a2d\" hid_interface=\"vid_1209\"/>\r\n"
    "</keyboard>\r\n"
    "<keyboard name=\"K100 twin\" device_type=\"101\" device_info=\"twin\"/>\r\n"
    "<keyboard name=\"K68\" device_type=\"102\" device_info=\"k68\">\r\n"
    "<mode value=\"0\" vid=\"1209\" pid=\"0042\"/>\r\n"
    "</keyboard>\r\n"
    "</device.info>\r\n"
    "<language.info default_lan=\"1049\"/>\r\n"
    "<software version=\"2.1\"><website url=\"https://w\"/><store url=\"https://s\"/>"
    "<upgrade url=\"https://u\"/><copyright info=\"(c) Z\"/></software>\r\n"
    "</config>\r\n";

// Records what the window's model list is told.
class RecordingDeviceList : public DeviceListView {
public:
    void ClearList() override { calls.push_back("clear"); }
    void AddDevice(const std::string& name, int deviceType, const std::string& disconnected,
                   const std::string& connected) override {
        calls.push_back("add " + name + " " + std::to_string(deviceType) + " " + disconnected +
                        " " + connected);
    }
    void SetSelectDevice(int deviceType) override {
        calls.push_back("select " + std::to_string(deviceType));
    }
    std::vector<std::string> calls;
};

class DeviceCatalogueTest : public ::testing::Test {
protected:
    std::string Resources(const std::string& config) {
        test::WriteFile(m_environment.Root() / "res" / "config.xml", config);
        return (m_environment.Root() / "res").string() + "/";
    }
    test::TempEnvironment m_environment;
};

TEST_F(DeviceCatalogueTest, BuildsModelsModesAndKnownDevices) {
    RecordingDeviceList view;
    const auto result = LoadDeviceDescriptions(Resources(kTwoModels), "/skin/", 0, &view);

    ASSERT_EQ(result.models.size(), 3u);
    EXPECT_EQ(result.models[0].name, "K100");
    EXPECT_EQ(result.models[0].layoutName, "k100");
    EXPECT_EQ(result.models[0].connectedPicture, "/skin/device/on.png");
    EXPECT_EQ(result.models[0].mode, 0);
    EXPECT_EQ(result.models[0].spare, -1);

    ASSERT_EQ(result.modes.size(), 3u);
    const KeyboardMode& cable = result.modes[0];
    EXPECT_EQ(cable.mode, kModeCable);
    EXPECT_EQ(cable.vid, 0x1209);
    EXPECT_EQ(cable.pid, 0x1A2C) << "vid and pid are hexadecimal";
    EXPECT_EQ(cable.name, "Zephyl K100");
    EXPECT_EQ(cable.description, "USB");
    EXPECT_EQ(cable.interfacePattern, "VID_1209&PID_1A2C&MI_01");
    EXPECT_EQ(cable.deviceType, 101) << "a mode carries its model's identity";
    EXPECT_EQ(cable.layoutName, "k100");
    EXPECT_EQ(cable.disconnectedPicture, "/skin/device/off.png");

    const KeyboardMode& receiver = result.modes[1];
    EXPECT_EQ(receiver.pid, 0x1A2D);
    EXPECT_EQ(receiver.name, "") << "no product_name matches any product";
    EXPECT_EQ(receiver.description, "2.4G");
    EXPECT_EQ(result.modes[2].deviceType, 102);
    EXPECT_EQ(result.modes[2].description, "") << "fields of the previous mode do not leak";

    ASSERT_EQ(result.knownDevices.size(), 3u);
    EXPECT_EQ(result.knownDevices[1].pid, 0x1A2D);
    EXPECT_EQ(result.knownDevices[1].mode, kModeReceiver);
    EXPECT_EQ(result.knownDevices[2].deviceType, 102);

    EXPECT_EQ(result.defaultLanguage, 1049);
    EXPECT_EQ(result.software.version, "2.1");
    EXPECT_EQ(result.software.websiteUrl, "https://w");
    EXPECT_EQ(result.software.storeUrl, "https://s");
    EXPECT_EQ(result.software.upgradeUrl, "https://u");
    EXPECT_EQ(result.software.copyright, "(c) Z");

    EXPECT_EQ(result.selectedDeviceType, 101);
    EXPECT_EQ(result.selectedIndex, 0) << "two models with one id: the first is taken";
    const std::vector<std::string> expectedCalls = {
        "clear", "add K100 101 /skin/device/off.png /skin/device/on.png",
        "add K100 twin 101 /skin/device/ /skin/device/", "add K68 102 /skin/device/ /skin/device/",
        "select 101"};
    EXPECT_EQ(view.calls, expectedCalls);
}

TEST_F(DeviceCatalogueTest, StoredModelIdChoosesTheSelection) {
    const std::string resources = Resources(kTwoModels);
    const std::pair<int, std::pair<int, int>> cases[] = {
        {0, {101, 0}},       // nothing stored
        {99, {101, 0}},      // below 100 counts as unset
        {102, {102, 2}},     // a declared model
        {150, {101, 0}},     // stored but not declared: counts as none
        {999999, {101, 0}},  // (it would write into a database of no model)
    };
    for (const auto& [stored, expected] : cases) {
        const auto result = LoadDeviceDescriptions(resources, "/skin/", stored);
        EXPECT_EQ(result.selectedDeviceType, expected.first) << stored;
        EXPECT_EQ(result.selectedIndex, expected.second) << stored;
    }
}

TEST_F(DeviceCatalogueTest, MissingOrEmptyConfigLeavesListsEmptyButSelects) {
    const std::string configs[] = {
        "", "<config/>", "<config><device.info/></config>",
        "<other><device.info><keyboard name=\"x\"/></device.info></other>",
        std::string("\x00\xFF\xFE<config", 9)};
    for (const auto& config : configs) {
        RecordingDeviceList view;
        const auto result = LoadDeviceDescriptions(Resources(config), "/skin/", 0, &view);
        EXPECT_TRUE(result.models.empty());
        EXPECT_TRUE(result.knownDevices.empty());
        EXPECT_EQ(result.defaultLanguage, 2052) << "default when language.info is absent";
        EXPECT_EQ(view.calls, (std::vector<std::string>{"clear", "select 101"}));
    }
}

TEST(ParseHexTest, Table) {
    const std::pair<const char*, int> cases[] = {
        {"1A2C", 0x1A2C}, {"1a2c", 0x1A2C}, {"0001", 1}, {"", 0}, {"zz", 0}, {"FFFFFFFFFF", 0}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParseHex(text), value) << text;
    }
}

}  // namespace
}  // namespace zephyl
