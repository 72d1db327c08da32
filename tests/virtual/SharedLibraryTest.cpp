// SPDX-License-Identifier: GPL-2.0-or-later
// The shared library as the programs load it: its exports, and config.xml found beside it.

#include "VirtualTestSupport.h"

#include <dlfcn.h>

namespace zephyl::test {
namespace {

TEST(VirtualLibraryTest, ExportsTheHidapiAndControlFunctionsAndFindsItsConfig) {
    TempEnvironment environment;
    environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
    environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", "102:0");
    environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
    environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
    void* library = dlopen(ZEPHYL_RUNTIME_DIR "/libzephyl-virtual-hid.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"hid_init",
                             "hid_exit",
                             "hid_enumerate",
                             "hid_free_enumeration",
                             "hid_open",
                             "hid_open_path",
                             "hid_close",
                             "hid_write",
                             "hid_read",
                             "hid_read_timeout",
                             "hid_set_nonblocking",
                             "hid_send_feature_report",
                             "hid_get_feature_report",
                             "hid_get_input_report",
                             "hid_get_manufacturer_string",
                             "hid_get_product_string",
                             "hid_get_serial_number_string",
                             "hid_error",
                             "hid_version",
                             "hid_version_str",
                             "hid_get_report_descriptor",
                             "zephyl_virtual_load_scenario",
                             "zephyl_virtual_set_plugged",
                             "zephyl_virtual_next_change",
                             "zephyl_virtual_inject_fault",
                             "zephyl_virtual_state_json",
                             "zephyl_virtual_queue_notification",
                             "zephyl_virtual_press_key",
                             "zephyl_virtual_set_battery",
                             "zephyl_virtual_set_asleep"}) {
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    }
    // Nothing of the library's own code leaves it.
    EXPECT_EQ(dlsym(library, "_ZN6zephyl10virtualhid10VirtualBus8InstanceEv"), nullptr);

    // The scenario comes from the environment; config.xml from the library's folder.
    auto enumerate = reinterpret_cast<decltype(&hid_enumerate)>(dlsym(library, "hid_enumerate"));
    auto freeList =
        reinterpret_cast<decltype(&hid_free_enumeration)>(dlsym(library, "hid_free_enumeration"));
    hid_device_info* devices = enumerate(0, 0);
    int count = 0;
    for (hid_device_info* info = devices; info; info = info->next) {
        EXPECT_EQ(info->product_id, 0x5A20);
        ++count;
    }
    freeList(devices);
    EXPECT_EQ(count, 4);  // keyboard, command, notification, bulk
    // Not unloaded: the library's keyboards live as long as the process (a host thread may be
    // waiting in a read when it ends), and unloading would orphan them.
}

}  // namespace
}  // namespace zephyl::test
