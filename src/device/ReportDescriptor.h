// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zephyl {

/// What the device list needs to know of one top-level collection of a HID interface. Report
/// lengths are the longest report of each kind in bytes, counting the report-id byte whether or
/// not the collection numbers its reports (as Windows counts them), 0 when it has none.
struct HidCapabilities {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    int inputLength = 0;
    int outputLength = 0;
    int featureLength = 0;
    bool numberedReports = false;  ///< the collection's reports carry a report id
};

/// Parses a HID report descriptor into its top-level collections, in descriptor order. Malformed
/// or truncated input never reads out of bounds: parsing stops at the fault and what was complete
/// is kept.
std::vector<HidCapabilities> ParseReportDescriptor(std::span<const uint8_t> descriptor);

/// The collection that an enumerated interface stands for: the one with its usage page and usage,
/// else the first; all zero when the descriptor holds none.
HidCapabilities SelectCollection(const std::vector<HidCapabilities>& collections,
                                 uint16_t usagePage, uint16_t usage);

/// "/dev/hidrawN" → "/sys/class/hidraw/hidrawN/device/report_descriptor"; empty for a path that
/// is not a hidraw node.
std::string HidrawDescriptorPath(const std::string& devicePath);

}  // namespace zephyl
