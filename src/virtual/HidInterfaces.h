// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/ModelCatalogue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zephyl::virtualhid {

/// What an interface of the keyboard is for.
enum class InterfaceKind {
    Keyboard,      ///< the ordinary boot keyboard; the configuration program leaves it alone
    Command,       ///< 64-byte feature reports: cable write sequences (also over Bluetooth)
    Receiver,      ///< 32-byte input and output reports: receiver frames
    Notification,  ///< vendor page 0xFFFF usage 1, input report id 5: unsolicited notices
    Bulk,          ///< 4096-byte output reports: screen images
};

/// One HID interface as the system presents it. Report lengths count the report-id byte, as
/// the host measures them (a report without an id still gets its leading 0 byte).
struct InterfaceShape {
    InterfaceKind kind = InterfaceKind::Keyboard;
    int number = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint8_t reportId = 0;  ///< 0: the interface uses no report ids
    int inputLength = 0;
    int outputLength = 0;
    int featureLength = 0;
    std::vector<std::uint8_t> descriptor;
};

/// The report descriptor of an interface kind.
std::vector<std::uint8_t> ReportDescriptor(InterfaceKind kind);

/// The interfaces one connection mode of a model presents, in interface-number order. The
/// command (or receiver) interface takes the number from config.xml; the others fill the free
/// numbers in the order keyboard, notification, bulk.
std::vector<InterfaceShape> InterfacesForMode(const ModelInfo& model, const ModeInfo& mode);

/// The name used for the interface in the report log.
const char* InterfaceLogName(InterfaceKind kind);

}  // namespace zephyl::virtualhid
