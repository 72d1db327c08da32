// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The public hidapi interface this library implements, plus the one call newer hidapi releases
// add and the host uses when present.

#include <hidapi/hidapi.h>

extern "C" {
/// Copies the interface's HID report descriptor; returns its length (or the bytes copied when
/// the buffer is shorter), -1 on failure.
int hid_get_report_descriptor(hid_device* dev, unsigned char* buf, size_t buf_size);
}
