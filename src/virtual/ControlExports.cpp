// SPDX-License-Identifier: GPL-2.0-or-later
// The control interface of the virtual keyboard; every call goes to the one VirtualBus.

#include "virtual/VirtualHidControl.h"

#include "virtual/VirtualBus.h"

using zephyl::virtualhid::VirtualBus;

extern "C" {

int zephyl_virtual_load_scenario(const char* scenario) {
    return VirtualBus::Instance().LoadScenario(scenario);
}

int zephyl_virtual_set_plugged(int device_type, int mode, int plugged) {
    return VirtualBus::Instance().SetPlugged(device_type, mode, plugged != 0);
}

int zephyl_virtual_next_change(char* path, size_t path_size, int* arrived) {
    return VirtualBus::Instance().NextChange(path, path_size, arrived);
}

int zephyl_virtual_wait_change(char* path, size_t path_size, int* arrived, int timeout_ms) {
    return VirtualBus::Instance().WaitChange(path, path_size, arrived, timeout_ms);
}

void zephyl_virtual_interrupt_change_waits(void) {
    VirtualBus::Instance().InterruptChangeWaits();
}

int zephyl_virtual_inject_fault(const char* fault, int value) {
    return VirtualBus::Instance().InjectFault(fault, value);
}

size_t zephyl_virtual_state_json(char* buffer, size_t buffer_size) {
    return VirtualBus::Instance().StateJson(buffer, buffer_size);
}

int zephyl_virtual_queue_notification(const unsigned char* data, size_t length) {
    return VirtualBus::Instance().QueueNotification(data, length);
}

int zephyl_virtual_press_key(int device_type, int key_code, int layer) {
    return VirtualBus::Instance().PressKey(device_type, key_code, layer);
}

int zephyl_virtual_set_battery(int device_type, int level) {
    return VirtualBus::Instance().SetBattery(device_type, level);
}

int zephyl_virtual_set_asleep(int device_type, int asleep) {
    return VirtualBus::Instance().SetAsleep(device_type, asleep != 0);
}

}  // extern "C"
