// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Control interface of the virtual keyboard library (libzephyl-virtual-hid.so), beside the
// hidapi functions it exports. The host side finds these with dlsym; tests call them to drive
// plug events, faults and to inspect the keyboard's memory. All functions are thread-safe.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/// Loads a scenario: a model id with connection modes ("101:0,2") or the path of a JSON scenario
/// file. Replaces the keyboards present (their memory is kept per model when the state file is
/// used). NULL or "" reads ZEPHYL_VIRTUAL_KEYBOARD. Returns 0 on success, -1 on a bad scenario.
int zephyl_virtual_load_scenario(const char* scenario);

/// Plugs (1) or unplugs (0) one connection mode of one model at once, as a cable pulled out or
/// a receiver removed. Queues the matching arrival/removal notifications. Returns 0, or -1 when
/// the model or mode is not part of the scenario.
int zephyl_virtual_set_plugged(int device_type, int mode, int plugged);

/// Takes the next plug notification, oldest first. Writes the interface path in the form the
/// host matches against config.xml, "HID\VID_%04X&PID_%04X&MI_%02X\<name>" (upper case), and
/// sets *arrived to 1 for an arrival, 0 for a removal. Returns 1 when one was taken, 0 when none.
int zephyl_virtual_next_change(char* path, size_t path_size, int* arrived);

/// As zephyl_virtual_next_change, but waits up to `timeout_ms` for a notification to come.
/// Returns 1 when one was taken, 0 after the timeout, -1 when
/// zephyl_virtual_interrupt_change_waits ended the wait.
int zephyl_virtual_wait_change(char* path, size_t path_size, int* arrived, int timeout_ms);

/// Ends every zephyl_virtual_wait_change waiting now (a listener that stops).
void zephyl_virtual_interrupt_change_waits(void);

/// Injects a fault (names as in the scenario file: "busy", "wrong_status", "lost_answer",
/// "no_echo", "unplug_after", "unplug_in_block", "slow"), with a count or a delay in `value`.
/// Returns 0, or -1 for an unknown fault.
int zephyl_virtual_inject_fault(const char* fault, int value);

/// The keyboard's memory as JSON (the content of the state file). Returns the length the full
/// text needs (without NUL); writes at most buffer_size - 1 bytes plus NUL when buffer is given.
size_t zephyl_virtual_state_json(char* buffer, size_t buffer_size);

/// Queues a notification report on the notification interface of the active keyboard
/// (the 64 data bytes after the report id). Returns 0, or -1 when no such interface is open.
int zephyl_virtual_queue_notification(const unsigned char* data, size_t length);

/// Presses a key (layout key code) on a layer (0 base, 1 Fn) of a model (0: the active
/// keyboard). A key whose slot in the keyboard's key table holds a host action reports it on the
/// notification interface. Returns 1 when it was reported, 0 when the key has no host action,
/// -1 when there is no such keyboard or no notification interface is open.
int zephyl_virtual_press_key(int device_type, int key_code, int layer);

/// Sets the level the battery answer reports (0..255) for a model (0: the active keyboard).
/// Returns 0, or -1 for an unknown model or level.
int zephyl_virtual_set_battery(int device_type, int level);

/// Puts a model's keyboard (0: the active keyboard) to sleep (1) or wakes it (0); the notice
/// goes out on the notification interfaces of its wireless connections, and a sleeping keyboard
/// answers nothing through the receiver. Returns 0, or -1 for an unknown model.
int zephyl_virtual_set_asleep(int device_type, int asleep);

#ifdef __cplusplus
}
#endif
