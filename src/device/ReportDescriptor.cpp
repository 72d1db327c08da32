// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/ReportDescriptor.h"

#include <array>
#include <map>

namespace zephyl {

namespace {

// Item types and tags of the short items we act on (HID 1.11, 6.2.2).
constexpr int kTypeMain = 0;
constexpr int kTypeGlobal = 1;
constexpr int kTypeLocal = 2;

constexpr int kMainInput = 0x8;
constexpr int kMainOutput = 0x9;
constexpr int kMainCollection = 0xA;
constexpr int kMainFeature = 0xB;
constexpr int kMainEndCollection = 0xC;

constexpr int kGlobalUsagePage = 0x0;
constexpr int kGlobalReportSize = 0x7;
constexpr int kGlobalReportId = 0x8;
constexpr int kGlobalReportCount = 0x9;
constexpr int kGlobalPush = 0xA;
constexpr int kGlobalPop = 0xB;

constexpr int kLocalUsage = 0x0;

constexpr uint8_t kLongItemPrefix = 0xFE;

enum ReportKind { kInput = 0, kOutput = 1, kFeature = 2, kKindCount = 3 };

struct GlobalState {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

struct OpenCollection {
    HidCapabilities caps;
    // Bits per report id, per kind: the byte length is the longest report of that kind.
    std::array<std::map<uint32_t, uint64_t>, kKindCount> bits;
};

int ByteLength(const std::map<uint32_t, uint64_t>& reports) {
    if (reports.empty()) {
        return 0;
    }
    uint64_t longest = 0;
    for (const auto& [id, bits] : reports) {
        longest = std::max(longest, (bits + 7) / 8);
    }
    // The report-id byte is counted even when the reports are not numbered.
    return static_cast<int>(longest + 1);
}

}  // namespace

std::vector<HidCapabilities> ParseReportDescriptor(std::span<const uint8_t> descriptor) {
    std::vector<HidCapabilities> collections;
    GlobalState global;
    std::vector<GlobalState> globalStack;
    std::vector<uint32_t> usages;  // local usages, with their size so 4-byte ones keep their page
    std::vector<bool> usageExtended;
    int depth = 0;
    OpenCollection current;

    size_t pos = 0;
    while (pos < descriptor.size()) {
        const uint8_t prefix = descriptor[pos];
        if (prefix == kLongItemPrefix) {
            if (pos + 1 >= descriptor.size()) {
                break;
            }
            pos += 3 + descriptor[pos + 1];
            continue;
        }
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (pos + 1 + size > descriptor.size()) {
            break;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            value |= static_cast<uint32_t>(descriptor[pos + 1 + i]) << (8 * i);
        }
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        pos += 1 + size;

        if (type == kTypeGlobal) {
            switch (tag) {
                case kGlobalUsagePage:
                    global.usagePage = value;
                    break;
                case kGlobalReportSize:
                    global.reportSize = value;
                    break;
                case kGlobalReportCount:
                    global.reportCount = value;
                    break;
                case kGlobalReportId:
                    global.reportId = value;
                    if (depth > 0) {
                        current.caps.numberedReports = true;
                    }
                    break;
                case kGlobalPush:
                    globalStack.push_back(global);
                    break;
                case kGlobalPop:
                    if (!globalStack.empty()) {
                        global = globalStack.back();
                        globalStack.pop_back();
                    }
                    break;
                default:
                    break;
            }
            continue;
        }
        if (type == kTypeLocal) {
            if (tag == kLocalUsage) {
                usages.push_back(value);
                usageExtended.push_back(size == 4);
            }
            continue;
        }
        if (type != kTypeMain) {
            continue;  // reserved item type
        }

        switch (tag) {
            case kMainCollection:
                if (depth == 0) {
                    current = OpenCollection{};
                    current.caps.usagePage = static_cast<uint16_t>(global.usagePage);
                    if (!usages.empty()) {
                        current.caps.usage = static_cast<uint16_t>(usages.front());
                        if (usageExtended.front()) {
                            current.caps.usagePage = static_cast<uint16_t>(usages.front() >> 16);
                        }
                    }
                    current.caps.numberedReports = global.reportId != 0;
                }
                ++depth;
                break;
            case kMainEndCollection:
                if (depth == 0) {
                    break;  // unbalanced: ignore rather than invent a collection
                }
                if (--depth == 0) {
                    current.caps.inputLength = ByteLength(current.bits[kInput]);
                    current.caps.outputLength = ByteLength(current.bits[kOutput]);
                    current.caps.featureLength = ByteLength(current.bits[kFeature]);
                    collections.push_back(current.caps);
                }
                break;
            case kMainInput:
            case kMainOutput:
            case kMainFeature:
                if (depth > 0) {
                    const int kind = tag == kMainInput    ? kInput
                                     : tag == kMainOutput ? kOutput
                                                          : kFeature;
                    current.bits[kind][global.reportId] +=
                        static_cast<uint64_t>(global.reportSize) * global.reportCount;
                }
                break;
            default:
                break;
        }
        usages.clear();
        usageExtended.clear();
    }
    return collections;
}

HidCapabilities SelectCollection(const std::vector<HidCapabilities>& collections,
                                 uint16_t usagePage, uint16_t usage) {
    for (const HidCapabilities& caps : collections) {
        if (caps.usagePage == usagePage && caps.usage == usage) {
            return caps;
        }
    }
    return collections.empty() ? HidCapabilities{} : collections.front();
}

std::string HidrawDescriptorPath(const std::string& devicePath) {
    const std::string prefix = "/dev/";
    if (devicePath.rfind(prefix, 0) != 0) {
        return {};
    }
    const std::string node = devicePath.substr(prefix.size());
    if (node.rfind("hidraw", 0) != 0 || node.size() == 6 ||
        node.find_first_not_of("0123456789", 6) != std::string::npos) {
        return {};
    }
    return "/sys/class/hidraw/" + node + "/device/report_descriptor";
}

}  // namespace zephyl
