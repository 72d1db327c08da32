// SPDX-License-Identifier: GPL-2.0-or-later
// The interfaces each connection presents: their report descriptors, identities and plugging.

#include "VirtualTestSupport.h"

#include <cwchar>
#include <map>
#include <tuple>

namespace zephyl::test {
namespace {

/// What a report descriptor declares, measured as the host measures it: report lengths in bytes
/// with the report-id byte counted (also when the interface has no report ids).
struct Declared {
    int usagePage = 0;
    int usage = 0;
    int input = 0;
    int output = 0;
    int feature = 0;
};

Declared ParseDescriptor(const Bytes& descriptor) {
    Declared declared;
    int usagePage = 0;
    int usage = 0;
    int reportSize = 0;
    int reportCount = 0;
    int reportId = 0;
    int depth = 0;
    std::map<std::pair<int, int>, int> bits;  // (main item, report id) → bits
    for (std::size_t i = 0; i < descriptor.size();) {
        const std::uint8_t prefix = descriptor[i];
        const std::size_t size = (prefix & 0x03) == 3 ? 4 : prefix & 0x03;
        EXPECT_LE(i + 1 + size, descriptor.size()) << "item runs past the end";
        unsigned value = 0;
        for (std::size_t k = 0; k < size && i + 1 + k < descriptor.size(); ++k) {
            value |= static_cast<unsigned>(descriptor[i + 1 + k]) << (8 * k);
        }
        switch (prefix & 0xFC) {
            case 0x04:
                usagePage = static_cast<int>(value);
                break;
            case 0x74:
                reportSize = static_cast<int>(value);
                break;
            case 0x94:
                reportCount = static_cast<int>(value);
                break;
            case 0x84:
                reportId = static_cast<int>(value);
                break;
            case 0x08:
                usage = static_cast<int>(value);
                break;
            case 0xA0:
                if (depth++ == 0) {
                    declared.usagePage = usagePage;
                    declared.usage = usage;
                }
                break;
            case 0xC0:
                --depth;
                break;
            case 0x80:
            case 0x90:
            case 0xB0:
                bits[{prefix & 0xFC, reportId}] += reportSize * reportCount;
                break;
            default:
                break;
        }
        i += 1 + size;
    }
    EXPECT_EQ(depth, 0) << "collections left open";
    for (const auto& [key, count] : bits) {
        const int length = (count + 7) / 8 + 1;
        int& target = key.first == 0x80   ? declared.input
                      : key.first == 0x90 ? declared.output
                                          : declared.feature;
        target = std::max(target, length);
    }
    return declared;
}

class VirtualInterfaceTest : public VirtualFixture {};

TEST_F(VirtualInterfaceTest, EveryConnectionPresentsTheInterfacesTheHostClassifies) {
    // (pid, usage page) → usage, input, output and feature lengths.
    using Expected = std::tuple<int, int, int, int>;
    const std::map<std::pair<int, int>, Expected> expected = {
        {{0x5A10, 0x0001}, {6, 9, 2, 0}},     {{0x5A10, 0xFF00}, {1, 0, 0, 65}},
        {{0x5A10, 0xFFFF}, {1, 65, 0, 0}},    {{0x5A12, 0x0001}, {6, 9, 2, 0}},
        {{0x5A12, 0xFF00}, {2, 33, 33, 0}},   {{0x5A12, 0xFFFF}, {1, 65, 0, 0}},
        {{0x5A11, 0x0001}, {6, 9, 2, 0}},     {{0x5A11, 0xFF00}, {1, 0, 0, 65}},
        {{0x5A11, 0xFFFF}, {1, 65, 0, 0}},    {{0x5A20, 0x0001}, {6, 9, 2, 0}},
        {{0x5A20, 0xFF00}, {1, 0, 0, 65}},    {{0x5A20, 0xFFFF}, {1, 65, 0, 0}},
        {{0x5A20, 0xFF01}, {1, 65, 4097, 0}}, {{0x5A22, 0x0001}, {6, 9, 2, 0}},
        {{0x5A22, 0xFF00}, {2, 33, 33, 0}},   {{0x5A22, 0xFFFF}, {1, 65, 0, 0}},
        {{0x5A30, 0x0001}, {6, 9, 2, 0}},     {{0x5A30, 0xFF00}, {1, 0, 0, 65}},
        {{0x5A30, 0xFFFF}, {1, 65, 0, 0}},
    };
    Load("101;102;103");
    std::map<std::pair<int, int>, Expected> seen;
    hid_device_info* devices = hid_enumerate(0, 0);
    for (hid_device_info* info = devices; info; info = info->next) {
        SCOPED_TRACE(info->path);
        hid_device* device = hid_open_path(info->path);
        ASSERT_NE(device, nullptr);
        Bytes descriptor(4096, 0);
        const int length = hid_get_report_descriptor(device, descriptor.data(), descriptor.size());
        ASSERT_GT(length, 0);
        descriptor.resize(static_cast<std::size_t>(length));
        const Declared declared = ParseDescriptor(descriptor);
        EXPECT_EQ(declared.usagePage, info->usage_page);
        EXPECT_EQ(declared.usage, info->usage);
        EXPECT_TRUE(seen.emplace(std::pair{info->product_id, info->usage_page},
                                 Expected{declared.usage, declared.input, declared.output,
                                          declared.feature})
                        .second)
            << "interface listed twice";
        // Bluetooth devices carry no USB interface number.
        EXPECT_EQ(info->interface_number == -1, info->bus_type == HID_API_BUS_BLUETOOTH);
        hid_close(device);
    }
    hid_free_enumeration(devices);
    EXPECT_EQ(seen, expected);
}

TEST_F(VirtualInterfaceTest, CommandInterfaceTakesTheNumberConfigGivesIt) {
    Load("101:0");
    hid_device_info* devices = hid_enumerate(0x1209, 0x5A10);
    std::map<int, int> numbers;  // usage page → interface number
    for (hid_device_info* info = devices; info; info = info->next) {
        numbers[info->usage_page] = info->interface_number;
        EXPECT_EQ(info->release_number, 0x0106);  // the layout's firmware "106"
        EXPECT_STREQ(info->product_string, L"Zephyl K100");
    }
    hid_free_enumeration(devices);
    EXPECT_EQ(numbers, (std::map<int, int>{{0x0001, 0}, {0xFF00, 1}, {0xFFFF, 2}}));
    EXPECT_EQ(hid_enumerate(0x1209, 0x5A12), nullptr);
}

TEST_F(VirtualInterfaceTest, UnplugFailsOpenHandlesAndAnnouncesEveryInterface) {
    Load("101:0");
    hid_device* cable = OpenCable(0x5A10);
    ASSERT_EQ(zephyl_virtual_set_plugged(101, 0, 0), 0);

    std::vector<std::pair<std::string, int>> changes;
    char path[256];
    int arrived = -1;
    while (zephyl_virtual_next_change(path, sizeof path, &arrived) == 1) {
        changes.emplace_back(path, arrived);
    }
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[1],
              (std::pair<std::string, int>{"HID\\VID_1209&PID_5A10&MI_01\\HIDRAW1", 0}));

    const Bytes begin = Report(65, {{1, 4}, {2, 0x18}});
    EXPECT_EQ(hid_send_feature_report(cable, begin.data(), begin.size()), -1);
    EXPECT_NE(std::wcsstr(hid_error(cable), L"disconnected"), nullptr);
    EXPECT_EQ(hid_enumerate(0, 0), nullptr);

    // Plugged in again, the keyboard is new interfaces: the old handle stays dead.
    ASSERT_EQ(zephyl_virtual_set_plugged(101, 0, 1), 0);
    ASSERT_EQ(zephyl_virtual_next_change(path, sizeof path, &arrived), 1);
    EXPECT_EQ(arrived, 1);
    EXPECT_EQ(std::string(path), "HID\\VID_1209&PID_5A10&MI_00\\HIDRAW3");
    EXPECT_EQ(hid_send_feature_report(cable, begin.data(), begin.size()), -1);
    hid_device* again = OpenCable(0x5A10);
    EXPECT_EQ(hid_send_feature_report(again, begin.data(), begin.size()), 65);

    // A connection the model has but the scenario did not plug can come; others cannot.
    EXPECT_EQ(zephyl_virtual_set_plugged(101, 2, 1), 0);
    EXPECT_EQ(zephyl_virtual_set_plugged(103, 0, 1), -1);
    EXPECT_EQ(zephyl_virtual_set_plugged(102, 1, 1), -1);
}

TEST_F(VirtualInterfaceTest, BluetoothNoticesNameTheHidServiceInsteadOfTheUsbIdentity) {
    Load("101:1");
    ASSERT_EQ(zephyl_virtual_set_plugged(101, 1, 0), 0);
    char path[256];
    int arrived = -1;
    ASSERT_EQ(zephyl_virtual_next_change(path, sizeof path, &arrived), 1);
    EXPECT_NE(std::string(path).find("{00001812-0000-1000-8000-00805F9B34FB}"), std::string::npos);
    EXPECT_EQ(std::string(path).find("VID_1209&PID_5A11"), std::string::npos);
    // A short buffer gets a cut, terminated path.
    ASSERT_EQ(zephyl_virtual_next_change(path, 5, &arrived), 1);
    EXPECT_STREQ(path, "HID\\");
}

TEST_F(VirtualInterfaceTest, HidapiCallsBehaveAsTheHidrawBackEnd) {
    Load("101:2");
    // Opening by identity takes the first interface listed, as hidapi does.
    hid_device* first = hid_open(0x1209, 0x5A12, nullptr);
    ASSERT_NE(first, nullptr);
    m_open.push_back(first);
    ASSERT_NE(hid_get_device_info(first), nullptr);
    EXPECT_EQ(hid_get_device_info(first)->interface_number, 0);
    EXPECT_EQ(hid_open(0x1209, 0x5A12, L"nonsense"), nullptr);

    hid_device* receiver = OpenCable(0x5A12);
    wchar_t text[64];
    ASSERT_EQ(hid_get_product_string(receiver, text, 64), 0);
    EXPECT_STREQ(text, L"Zephyl K100 Receiver");
    ASSERT_EQ(hid_get_manufacturer_string(receiver, text, 3), 0);
    EXPECT_STREQ(text, L"Ze");
    EXPECT_EQ(hid_get_indexed_string(receiver, 1, text, 64), -1);
    ASSERT_NE(hid_get_device_info(receiver), nullptr);
    EXPECT_EQ(hid_get_device_info(receiver)->product_id, 0x5A12);

    // Nothing to read: a non-blocking read returns 0 at once.
    Bytes buffer(65, 0);
    ASSERT_EQ(hid_set_nonblocking(receiver, 1), 0);
    EXPECT_EQ(hid_read(receiver, buffer.data(), buffer.size()), 0);
    // Reports with a report id the interface does not use, too long, or on an interface that
    // has no such report are refused.
    Bytes frame = Frame({{1, 0x02}});
    frame[0] = 1;
    EXPECT_EQ(hid_write(receiver, frame.data(), frame.size()), -1);
    EXPECT_EQ(hid_write(receiver, Bytes(34, 0).data(), 34), -1);
    EXPECT_EQ(hid_send_feature_report(receiver, Bytes(65, 0).data(), 65), -1);
    EXPECT_EQ(hid_get_feature_report(receiver, buffer.data(), buffer.size()), -1);
    // A short frame reaches the keyboard zero-padded: this one has a wrong checksum there.
    const Bytes shortFrame = {0x00, 0x02};
    EXPECT_EQ(hid_write(receiver, shortFrame.data(), shortFrame.size()), 2);
    EXPECT_EQ(Memory(101, "refused.checksum"), "1");
    EXPECT_EQ(hid_version()->minor, 14);
}

}  // namespace
}  // namespace zephyl::test
