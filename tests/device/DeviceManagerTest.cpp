// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/DeviceManager.h"

#include "FakeHid.h"
#include "support/TempEnvironment.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <thread>

namespace zephyl {
namespace {

using test::BulkInterface;
using test::CableInterface;
using test::FakeHid;
using test::FakeInterface;
using test::NotificationInterface;
using test::ReceiverInterface;

constexpr uint16_t kCablePid = 0x5A10;
constexpr uint16_t kBluetoothPid = 0x5A11;
constexpr uint16_t kReceiverPid = 0x5A12;
constexpr uint16_t kScreenCablePid = 0x5A20;

/// A manager over the fake, knowing the models of the shipped config.xml.
struct Fixture {
    FakeHid hid;
    DeviceManager manager{HidLibrary::FromTable(FakeHid::Table()), hid.Clock()};

    Fixture() {
        manager.AddKnownDevices({{0x1209, kCablePid, "", 101, kModeCable},
                                 {0x1209, kReceiverPid, "", 101, kModeReceiver},
                                 {0x1209, kBluetoothPid, "", 101, kModeBluetooth},
                                 {0x1209, kScreenCablePid, "", 102, kModeCable}});
    }
    void Reopen(int selected) {
        manager.Reopen();
        manager.SetSelectedDeviceType(selected);
    }
};

FakeInterface BluetoothInterface(const std::string& path) {
    FakeInterface i = CableInterface(kBluetoothPid, path, 0);
    return i;
}

TEST(DeviceManagerTest, ClassifiesEveryInterfaceKind) {
    Fixture f;
    f.hid.Add(CableInterface(kCablePid, "cable"));
    f.hid.Add(NotificationInterface(kCablePid, "cable-notify"));
    f.hid.Add(BulkInterface(kScreenCablePid, "screen-bulk"));
    f.hid.Add(ReceiverInterface(kReceiverPid, "receiver"));
    FakeInterface keyboardInput = CableInterface(kCablePid, "cable-keys");
    keyboardInput.descriptor = test::VendorDescriptor(0x0001, 0x06, 8, 1, 0);
    keyboardInput.usagePage = 0x0001;
    keyboardInput.usage = 0x06;
    f.hid.Add(keyboardInput);                       // fits no class: closed again
    f.hid.Add(CableInterface(0x9999, "stranger"));  // not known: never opened
    FakeInterface locked = CableInterface(kCablePid, "locked");
    locked.openable = false;  // cannot be opened: skipped
    f.hid.Add(locked);

    f.Reopen(101);
    EXPECT_TRUE(f.manager.Enabled());
    EXPECT_EQ(f.manager.CommandEntryCount(), 2u);
    EXPECT_EQ(f.manager.BulkEntryCount(), 1u);
    EXPECT_TRUE(f.manager.HasNotificationHandle());
    // cable, receiver, bulk, notification stay open; the keyboard collection was closed
    EXPECT_EQ(f.hid.OpenHandles(), 4);

    std::vector<DeviceEntry> entries;
    f.manager.SetSelectedDeviceType(0);
    ASSERT_TRUE(f.manager.CollectEntries(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, "cable");
    EXPECT_EQ(entries[0].connectionMode, kModeCable);
    EXPECT_EQ(entries[0].usable, 1);
    EXPECT_EQ(entries[0].release, 0x0110);
    EXPECT_EQ(entries[0].device, nullptr);  // copies carry no handle
    EXPECT_EQ(entries[1].path, "receiver");
    EXPECT_EQ(entries[1].connectionMode, kModeReceiver);
    EXPECT_EQ(entries[1].usable, 1);  // the handshake was answered

    f.manager.SetSelectedDeviceType(102);
    EXPECT_TRUE(f.manager.CollectEntries(entries));  // entries exist, none of model 102
    EXPECT_TRUE(entries.empty());

    f.manager.CloseAll();
    EXPECT_EQ(f.hid.OpenHandles(), 0);
    EXPECT_FALSE(f.manager.Enabled());
    EXPECT_FALSE(f.manager.CollectEntries(entries));
    EXPECT_EQ(f.manager.ActiveHandle(), nullptr);
}

// A keyboard whose interfaces the system refuses to this user is told apart from one that is
// not there; one whose typing interface alone is refused (as the udev rule intends) is not.
TEST(DeviceManagerTest, KeyboardsThisUserMayNotOpen) {
    const auto refusedWith = [](FakeInterface i, int error) {
        i.openable = false;
        i.openErrno = error;
        return i;
    };
    FakeInterface typing = CableInterface(kCablePid, "cable-keys");
    typing.descriptor = test::VendorDescriptor(0x0001, 0x06, 8, 1, 0);
    struct Case {
        const char* name;
        std::vector<FakeInterface> interfaces;
        std::vector<int> refused;
    };
    const Case cases[] = {
        {"every interface refused",
         {refusedWith(CableInterface(kCablePid, "cable"), EACCES),
          refusedWith(NotificationInterface(kCablePid, "notify"), EACCES)},
         {101}},
        {"EPERM counts too", {refusedWith(CableInterface(kCablePid, "cable"), EPERM)}, {101}},
        {"only the typing interface refused",
         {CableInterface(kCablePid, "cable"), refusedWith(typing, EACCES)},
         {}},
        {"gone before it was opened",
         {refusedWith(CableInterface(kCablePid, "cable"), ENOENT)},
         {}},
        {"one model refused, another there",
         {refusedWith(CableInterface(kCablePid, "cable"), EACCES),
          CableInterface(kScreenCablePid, "screen")},
         {101}},
        {"refused twice, named once",
         {refusedWith(CableInterface(kCablePid, "cable"), EACCES),
          refusedWith(ReceiverInterface(kReceiverPid, "receiver"), EACCES)},
         {101}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        for (const FakeInterface& i : c.interfaces) {
            f.hid.Add(i);
        }
        f.Reopen(101);
        EXPECT_EQ(f.manager.RefusedDeviceTypes(), c.refused);
        f.manager.CloseAll();
        EXPECT_TRUE(f.manager.RefusedDeviceTypes().empty());
    }
}

TEST(DeviceManagerTest, ReceiverModeWhateverTheTableSaysAndUsableFromHandshake) {
    Fixture f;
    // Listed as a cable in the table, but its 33-byte reports make it a receiver.
    f.manager.AddKnownDevice(0x1209, 0x5A22, "", 102, kModeCable);
    FakeInterface asleep = ReceiverInterface(0x5A22, "receiver-asleep");
    asleep.answersReceiver = false;
    f.hid.Add(asleep);
    f.Reopen(102);
    EXPECT_EQ(f.manager.ModeUsable(0x1209, 0x5A22, "", kModeReceiver), 0);
    EXPECT_EQ(f.manager.ModeUsable(0x1209, 0x5A22, "", kModeCable), -1);
    EXPECT_EQ(f.manager.CurrentConnectionMode(), kModeReceiver);
    // An asleep keyboard's receiver still counts as present.
    std::vector<DeviceEntry> entries;
    EXPECT_TRUE(f.manager.CollectEntries(entries));
    ASSERT_EQ(f.hid.Ops("write").size(), 1u);
    EXPECT_EQ(f.hid.Ops("write")[0].bytes.size(), 33u);
    EXPECT_EQ(f.hid.Ops("write")[0].bytes[1], 0x02);
    EXPECT_EQ(f.hid.Ops("write")[0].bytes[32], 0x02);
    EXPECT_EQ(f.hid.Ops("read").size(), 20u);
}

TEST(DeviceManagerTest, PreferenceOrdersOfHandleAndMode) {
    const struct {
        const char* name;
        std::vector<FakeInterface> interfaces;
        const char* activePath;  // null: none
        int mode;
        bool firmwareKnown;
        int firmware;
    } cases[] = {
        {"cable and receiver: both pick the cable",
         {ReceiverInterface(kReceiverPid, "receiver"), CableInterface(kCablePid, "cable", 0x0105)},
         "cable",
         kModeCable,
         true,
         0x0105},
        {"Bluetooth and receiver: handle Bluetooth, mode receiver",
         {ReceiverInterface(kReceiverPid, "receiver"), BluetoothInterface("bluetooth")},
         "bluetooth",
         kModeReceiver,
         true,
         0},
        {"receiver only",
         {ReceiverInterface(kReceiverPid, "receiver")},
         "receiver",
         kModeReceiver,
         true,
         0},
        {"Bluetooth only", {BluetoothInterface("bluetooth")}, "bluetooth", kModeBluetooth, true, 0},
        {"another model only",
         {CableInterface(kScreenCablePid, "other")},
         nullptr,
         kModeNone,
         false,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        for (const FakeInterface& i : c.interfaces) {
            f.hid.Add(i);
        }
        f.Reopen(101);
        EXPECT_EQ(f.manager.CurrentConnectionMode(), c.mode);
        int firmware = -1;
        EXPECT_EQ(f.manager.FirmwareVersion(firmware), c.firmwareKnown);
        if (c.firmwareKnown) {
            EXPECT_EQ(firmware, c.firmware);
        }
        // Which handle: the transport writes through it.
        ASSERT_EQ(f.manager.SendFeature(BuildEndCommand(), false), c.activePath != nullptr);
        if (c.activePath) {
            EXPECT_EQ(f.hid.Ops("set_feature").back().path, c.activePath);
        }
    }
}

TEST(DeviceManagerTest, FirmwareVersionNeedsEnabledManager) {
    Fixture f;
    f.hid.Add(CableInterface(kCablePid, "cable", 0x0110));
    f.manager.Refresh();  // opened, but not yet enabled
    f.manager.SetSelectedDeviceType(101);
    int firmware = -1;
    EXPECT_FALSE(f.manager.FirmwareVersion(firmware));
    f.manager.SetEnabled(true);
    EXPECT_TRUE(f.manager.FirmwareVersion(firmware));
    EXPECT_EQ(firmware, 0x0110);
}

TEST(DeviceManagerTest, KnownDeviceLookups) {
    Fixture f;
    f.manager.AddKnownDevice(0x1209, 0x7000, "Pad", 104, kModeCable);
    f.manager.AddKnownDevice(0x1209, 0x7000, "", 105, kModeReceiver);
    const struct {
        int pid;
        const char* product;
        bool known;
        int mode;
        int type;
    } cases[] = {
        {0x7000, "Pad", true, kModeCable, 104},          // first row decides
        {0x7000, "pad", true, kModeReceiver, 105},       // product names compare case-sensitively
        {kCablePid, "anything", true, kModeCable, 101},  // empty product matches any
        {0x7001, "", false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.product);
        EXPECT_EQ(f.manager.IsKnown(0x1209, c.pid, c.product), c.known);
        EXPECT_EQ(f.manager.KnownMode(0x1209, c.pid, c.product), c.mode);
        EXPECT_EQ(f.manager.KnownDeviceType(0x1209, c.pid, c.product), c.type);
    }
}

TEST(DeviceManagerTest, ProductNameSelectsTheInterface) {
    Fixture f;
    f.manager.AddKnownDevice(0x1209, 0x7000, "Zephyl Pad", 104, kModeCable);
    FakeInterface named = CableInterface(0x7000, "named");
    named.product = L"Zephyl Pad";
    FakeInterface other = CableInterface(0x7000, "other");
    other.product = L"Someone Else";
    f.hid.Add(other);
    f.hid.Add(named);
    f.Reopen(104);
    EXPECT_EQ(f.manager.CommandEntryCount(), 1u);
    EXPECT_EQ(f.manager.ModeUsable(0x1209, 0x7000, "Zephyl Pad", kModeCable), 1);
    EXPECT_EQ(f.manager.ModeUsable(0x1209, 0x7000, "", kModeCable), 1);
    EXPECT_EQ(f.manager.ModeUsable(0x1209, 0x7000, "Someone Else", kModeCable), -1);
}

TEST(DeviceManagerTest, CloseAllOnlyWhenEnabledAndClosesReplacedNotificationInterfaces) {
    Fixture f;
    f.hid.Add(CableInterface(kCablePid, "cable"));
    f.hid.Add(NotificationInterface(kCablePid, "notify-1"));
    f.hid.Add(NotificationInterface(kReceiverPid, "notify-2"));
    f.manager.Refresh();
    EXPECT_EQ(f.hid.OpenHandles(), 3);
    f.manager.CloseAll();  // not enabled yet: nothing happens
    EXPECT_EQ(f.hid.OpenHandles(), 3);

    // The later notification interface is the one read.
    f.hid.m_notifications.push_back({0x05, 0xA6, 0xFF, 0x01});
    uint8_t buffer[65] = {};
    EXPECT_EQ(f.manager.ReadNotification(buffer, 10), 4);
    EXPECT_EQ(f.hid.Ops("read").back().path, "notify-2");
    EXPECT_EQ(buffer[0], 0x05);  // a numbered report keeps its id

    f.manager.SetEnabled(true);
    f.manager.CloseAll();
    EXPECT_EQ(f.hid.OpenHandles(), 0);
    EXPECT_EQ(f.manager.ReadNotification(buffer, 10), -1);
}

TEST(DeviceManagerTest, WithoutALibraryNothingIsFound) {
    DeviceManager manager(HidLibrary::FromTable(HidApi{}));
    EXPECT_FALSE(manager.Library().Loaded());
    manager.AddKnownDevice(0x1209, kCablePid, "", 101, kModeCable);
    manager.Reopen();
    manager.SetSelectedDeviceType(101);
    EXPECT_EQ(manager.CommandEntryCount(), 0u);
    EXPECT_EQ(manager.CurrentConnectionMode(), kModeNone);
    EXPECT_FALSE(manager.SendFeature(BuildBeginCommand(), true));
}

TEST(DeviceManagerTest, WindowThreadCallsDuringTransfers) {
    // The window thread closes everything and reads the firmware version while the worker sends;
    // whichever comes first, nothing uses a closed handle (the sanitizer builds watch this).
    Fixture f;
    f.hid.Add(CableInterface(kCablePid, "cable"));
    f.Reopen(101);
    std::vector<uint8_t> block(576, 0x11);
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            f.manager.SendFeature(block, false);
        }
    });
    int firmware = 0;
    for (int i = 0; i < 20; ++i) {
        f.manager.FirmwareVersion(firmware);
        f.manager.SetPacingDelay(i % 3);
    }
    f.manager.CloseAll();
    worker.join();
    EXPECT_EQ(f.hid.OpenHandles(), 0);
    EXPECT_FALSE(f.manager.SendFeature(block, false));
}

}  // namespace
}  // namespace zephyl

namespace zephyl {
namespace {

TEST(HidLibraryTest, ChoosesTheLibrary) {
    // The system's hidapi, when this machine has it, resolves every function the layer needs.
    if (void* probe = dlopen("libhidapi-hidraw.so.0", RTLD_NOW | RTLD_LOCAL)) {
        dlclose(probe);
        const auto system = HidLibrary::LoadSystem();
        EXPECT_TRUE(system->Loaded());
        EXPECT_EQ(system->LibraryKind(), HidLibrary::Kind::kSystem);
    }

    // The virtual keyboard is looked for beside the binary first, then in the installed tree's
    // private folder, then where the variable says.
    const std::string installed =
        "/opt/z/bin/" ZEPHYL_LIBDIR_FROM_BINDIR_FOR_TESTS "/libzephyl-virtual-hid.so";
    EXPECT_EQ(VirtualLibraryCandidates("/opt/z/bin", "/tmp/v.so"),
              (std::vector<std::string>{"/opt/z/bin/libzephyl-virtual-hid.so", installed,
                                        "/tmp/v.so", "libzephyl-virtual-hid.so"}));
    EXPECT_EQ(VirtualLibraryCandidates("/opt/z/bin/", nullptr),
              (std::vector<std::string>{"/opt/z/bin/libzephyl-virtual-hid.so", installed,
                                        "libzephyl-virtual-hid.so"}));

    test::TempEnvironment environment;
    environment.SetVariable("ZEPHYL_RESOURCE_DIR", ZEPHYL_SOURCE_DATA_DIR "/");
    environment.SetVariable("ZEPHYL_VIRTUAL_HID_LIBRARY", "/nonexistent/libzephyl-virtual-hid.so");
    environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", "101:0");
    const auto chosen = HidLibrary::LoadDefault();
    const bool virtualBuilt =
        std::filesystem::exists(ZEPHYL_RUNTIME_DIR "/libzephyl-virtual-hid.so");
    EXPECT_EQ(chosen->LibraryKind(),
              virtualBuilt ? HidLibrary::Kind::kVirtual : HidLibrary::Kind::kNone);
}

TEST(HidLibraryTest, Utf8ProductStrings) {
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(WideToUtf8(L"K100"), "K100");
    EXPECT_EQ(WideToUtf8(L"Zéphyl \u00A9 \u4E2D \U0001F600"),
              "Z\xC3\xA9phyl \xC2\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace zephyl
