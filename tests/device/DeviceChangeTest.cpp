// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/DeviceChange.h"
#include "device/UdevChangeSource.h"
#include "device/VirtualChangeSource.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace zephyl {
namespace {

KeyboardMode Mode(int deviceType, int mode, const char* pattern, int connected) {
    KeyboardMode m;
    m.deviceType = deviceType;
    m.mode = mode;
    m.interfacePattern = pattern;
    m.connected = connected;
    return m;
}

std::vector<KeyboardMode> Modes() {
    return {
        Mode(101, 0, "VID_1209&PID_5A10&MI_01", 1),
        Mode(101, 2, "VID_1209&PID_5A12&MI_01", 0),
        Mode(101, 1, "", 0),
        Mode(102, 0, "VID_1209&PID_5A10", 1),  // a looser pattern that also fits model 101's cable
        Mode(103, 0, "vid_1209&pid_5a30&mi_01", 1),  // lower case never matches
    };
}

TEST(DeviceChangeTest, MatchingRules) {
    const struct {
        const char* name;
        std::string path;
        bool arrived;
        int expectedIndex;
        int expectedCommand;
    } cases[] = {
        {"arrival: first record whose pattern occurs", "HID\\VID_1209&PID_5A10&MI_01\\HIDRAW3",
         true, 0, 2},
        {"the path is upper-cased before the search", "hid\\vid_1209&pid_5a12&mi_01\\hidraw4", true,
         1, 2},
        {"arrival of an unplugged mode still matches", "HID\\VID_1209&PID_5A12&MI_01\\X", true, 1,
         2},
        {"lower-case patterns never match", "HID\\VID_1209&PID_5A30&MI_01\\HIDRAW5", true, -1, 0},
        {"unknown interface", "HID\\VID_046D&PID_C52B&MI_00\\HIDRAW1", true, -1, 0},
        {"Bluetooth LE HID is ignored even with a pattern in it",
         "HID\\{00001812-0000-1000-8000-00805f9b34fb}_DEV_VID&021209_PID&5A12&MI_01\\VID_1209&PID_"
         "5A12&MI_01",
         true, -1, 0},
        {"removal: first connected record whose pattern occurs",
         "HID\\VID_1209&PID_5A10&MI_01\\HIDRAW3", false, 0, 3},
        {"removal of a mode not marked connected posts nothing", "HID\\VID_1209&PID_5A12&MI_01\\X",
         false, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<KeyboardMode> modes = Modes();
        const DeviceChange change{c.path, c.arrived};
        EXPECT_EQ(MatchDeviceChange(modes, change), c.expectedIndex);
        EXPECT_EQ(DeviceChangeCommand(modes, change), c.expectedCommand);
        for (size_t i = 0; i < modes.size(); ++i) {
            const bool cleared = !c.arrived && static_cast<int>(i) == c.expectedIndex;
            EXPECT_EQ(modes[i].connected, cleared ? 0 : Modes()[i].connected) << i;
        }
    }

    // Once the first connected record is cleared, the next removal finds the looser pattern.
    std::vector<KeyboardMode> modes = Modes();
    const DeviceChange removal{"HID\\VID_1209&PID_5A10&MI_01\\HIDRAW3", false};
    EXPECT_EQ(DeviceChangeCommand(modes, removal), 3);
    EXPECT_EQ(MatchDeviceChange(modes, removal), 3);
}

TEST(DeviceChangeTest, InterfacePathsFromUdev) {
    const struct {
        std::string hidId;
        int interfaceNumber;
        std::string sysname;
        std::string expected;
    } cases[] = {
        {"0003:00001209:00005A10", 1, "hidraw3", "HID\\VID_1209&PID_5A10&MI_01\\HIDRAW3"},
        {"0003:0000046d:0000c52b", 2, "hidraw0", "HID\\VID_046D&PID_C52B&MI_02\\HIDRAW0"},
        {"0018:000004F3:00003125", -1, "hidraw9", "HID\\VID_04F3&PID_3125\\HIDRAW9"},
        {"0005:00001209:00005A11", 0, "hidraw7",
         "HID\\{00001812-0000-1000-8000-00805F9B34FB}_DEV_VID&1209_PID&5A11\\HIDRAW7"},
    };
    for (const auto& c : cases) {
        int bus = 0;
        int vid = 0;
        int pid = 0;
        ASSERT_TRUE(ParseHidId(c.hidId, bus, vid, pid)) << c.hidId;
        EXPECT_EQ(SynthesiseInterfacePath(bus, vid, pid, c.interfaceNumber, c.sysname), c.expected);
    }
    for (const char* bad : {"", "0003", "0003:00001209", "zz:1:2", "0003:00011209:00005A10"}) {
        int bus = 0;
        int vid = 0;
        int pid = 0;
        EXPECT_FALSE(ParseHidId(bad, bus, vid, pid)) << bad;
    }

    // A Bluetooth keyboard's notifications go nowhere, whatever the patterns say.
    std::vector<KeyboardMode> modes = {Mode(101, 1, "VID_1209&PID_5A11", 1)};
    const DeviceChange bluetooth{
        SynthesiseInterfacePath(kBusBluetooth, 0x1209, 0x5A11, 0, "hidraw7"), true};
    EXPECT_EQ(DeviceChangeCommand(modes, bluetooth), 0);
}

// The virtual keyboard's queue of plug changes, as a plain function for the source to poll.
std::mutex g_queueMutex;
std::deque<DeviceChange> g_queue;

int NextChange(char* path, size_t size, int* arrived) {
    std::lock_guard lock(g_queueMutex);
    if (g_queue.empty()) {
        return 0;
    }
    std::strncpy(path, g_queue.front().path.c_str(), size - 1);
    path[size - 1] = '\0';
    *arrived = g_queue.front().arrived ? 1 : 0;
    g_queue.pop_front();
    return 1;
}

std::condition_variable g_queueChanged;
int g_interrupts = 0;

/// Waits on the queue as the virtual keyboard does, for as long as it takes: only a change or
/// an interrupt ends the wait.
int WaitChange(char* path, size_t size, int* arrived, int) {
    {
        std::unique_lock lock(g_queueMutex);
        const int interrupts = g_interrupts;
        g_queueChanged.wait(lock, [&] { return !g_queue.empty() || g_interrupts != interrupts; });
        if (g_queue.empty()) {
            return -1;
        }
    }
    return NextChange(path, size, arrived);
}

void InterruptWaits() {
    std::lock_guard lock(g_queueMutex);
    ++g_interrupts;
    g_queueChanged.notify_all();
}

class Recorder : public DeviceChangeSubscriber {
public:
    void OnDeviceChange(const DeviceChange& change) override {
        std::lock_guard lock(m_mutex);
        m_changes.push_back(change);
        m_cv.notify_all();
    }
    std::vector<DeviceChange> WaitFor(size_t count) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_changes.size() >= count; });
        return m_changes;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<DeviceChange> m_changes;
};

TEST(DeviceChangeTest, VirtualSourceDeliversInOrder) {
    {
        std::lock_guard lock(g_queueMutex);
        g_queue = {{"HID\\VID_1209&PID_5A10&MI_01\\V1", false},
                   {"HID\\VID_1209&PID_5A12&MI_01\\V2", true}};
    }
    Recorder recorder;
    VirtualChangeSource source(&NextChange, 1);
    ASSERT_TRUE(source.Start(&recorder));
    EXPECT_FALSE(source.Start(&recorder));  // already running
    const auto changes = recorder.WaitFor(2);
    source.Stop();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].path, "HID\\VID_1209&PID_5A10&MI_01\\V1");
    EXPECT_FALSE(changes[0].arrived);
    EXPECT_EQ(changes[1].path, "HID\\VID_1209&PID_5A12&MI_01\\V2");
    EXPECT_TRUE(changes[1].arrived);
}

TEST(DeviceChangeTest, BlockingVirtualSourceWakesForEachChangeAndStops) {
    Recorder recorder;
    VirtualChangeSource source(&WaitChange, &InterruptWaits);
    ASSERT_TRUE(source.Start(&recorder));
    for (size_t n = 1; n <= 2; ++n) {
        {
            std::lock_guard lock(g_queueMutex);
            g_queue.push_back({"HID\\VID_1209&PID_5A10&MI_01\\V" + std::to_string(n), n == 2});
            g_queueChanged.notify_all();
        }
        const auto changes = recorder.WaitFor(n);
        EXPECT_EQ(changes.back().arrived, n == 2);
    }
    // The listener sits in a wait that only an interrupt ends: Stop must send one.
    source.Stop();
    std::lock_guard lock(g_queueMutex);
    EXPECT_GE(g_interrupts, 1);
}

}  // namespace
}  // namespace zephyl
