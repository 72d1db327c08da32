// SPDX-License-Identifier: GPL-2.0-or-later
// libzephyl-virtual-hid.so: the whole of the virtual keyboard core, linked in whole so that every
// hidapi and control function is exported (exports.map lists them).
