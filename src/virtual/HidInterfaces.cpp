// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/HidInterfaces.h"

#include <algorithm>

namespace zephyl::virtualhid {

namespace {

// Short items of the HID report descriptor language, spelled out so the tables read like the
// descriptors a firmware engineer would write.
constexpr std::uint8_t kUsagePage1 = 0x05;
constexpr std::uint8_t kUsagePage2 = 0x06;
constexpr std::uint8_t kUsage = 0x09;
constexpr std::uint8_t kCollection = 0xA1;
constexpr std::uint8_t kEndCollection = 0xC0;
constexpr std::uint8_t kLogicalMin = 0x15;
constexpr std::uint8_t kLogicalMax1 = 0x25;
constexpr std::uint8_t kLogicalMax2 = 0x26;
constexpr std::uint8_t kReportSize = 0x75;
constexpr std::uint8_t kReportCount1 = 0x95;
constexpr std::uint8_t kReportCount2 = 0x96;
constexpr std::uint8_t kReportId = 0x85;
constexpr std::uint8_t kUsageMin = 0x19;
constexpr std::uint8_t kUsageMax = 0x29;
constexpr std::uint8_t kInput = 0x81;
constexpr std::uint8_t kOutput = 0x91;
constexpr std::uint8_t kFeature = 0xB1;
constexpr std::uint8_t kApplication = 0x01;
constexpr std::uint8_t kDataVar = 0x02;
constexpr std::uint8_t kConst = 0x01;
constexpr std::uint8_t kDataArray = 0x00;

const std::vector<std::uint8_t> kBootKeyboard = {
    kUsagePage1, 0x01, kUsage, 0x06, kCollection, kApplication,
    // modifier bits
    kUsagePage1, 0x07, kUsageMin, 0xE0, kUsageMax, 0xE7, kLogicalMin, 0x00, kLogicalMax1, 0x01,
    kReportSize, 0x01, kReportCount1, 0x08, kInput, kDataVar,
    // reserved byte
    kReportCount1, 0x01, kReportSize, 0x08, kInput, kConst,
    // indicator lights
    kReportCount1, 0x05, kReportSize, 0x01, kUsagePage1, 0x08, kUsageMin, 0x01, kUsageMax, 0x05,
    kOutput, kDataVar, kReportCount1, 0x01, kReportSize, 0x03, kOutput, kConst,
    // six key codes
    kReportCount1, 0x06, kReportSize, 0x08, kLogicalMin, 0x00, kLogicalMax2, 0xFF, 0x00,
    kUsagePage1, 0x07, kUsageMin, 0x00, kUsageMax, 0xFF, kInput, kDataArray, kEndCollection};

const std::vector<std::uint8_t> kCommand = {
    kUsagePage2,   0x00, 0xFF,         kUsage, 0x01,     kCollection, kApplication,
    kLogicalMin,   0x00, kLogicalMax2, 0xFF,   0x00,     kReportSize, 0x08,
    kReportCount1, 0x40, kUsage,       0x02,   kFeature, kDataVar,    kEndCollection};

const std::vector<std::uint8_t> kReceiver = {
    kUsagePage2,   0x00,   0xFF,         kUsage,  0x02,     kCollection,   kApplication,
    kLogicalMin,   0x00,   kLogicalMax2, 0xFF,    0x00,     kReportSize,   0x08,
    kReportCount1, 0x20,   kUsage,       0x03,    kInput,   kDataVar,      kReportCount1,
    0x20,          kUsage, 0x04,         kOutput, kDataVar, kEndCollection};

const std::vector<std::uint8_t> kNotification = {
    kUsagePage2,   0xFF,        0xFF,   kUsage,       0x01,   kCollection, kApplication,  kReportId,
    0x05,          kLogicalMin, 0x00,   kLogicalMax2, 0xFF,   0x00,        kReportSize,   0x08,
    kReportCount1, 0x40,        kUsage, 0x01,         kInput, kDataVar,    kEndCollection};

const std::vector<std::uint8_t> kBulk = {
    kUsagePage2,   0x01, 0xFF,         kUsage, 0x01,   kCollection, kApplication,
    kLogicalMin,   0x00, kLogicalMax2, 0xFF,   0x00,   kReportSize, 0x08,
    kReportCount2, 0x00, 0x10,         kUsage, 0x02,   kOutput,     kDataVar,
    kReportCount1, 0x40, kUsage,       0x03,   kInput, kDataVar,    kEndCollection};

InterfaceShape MakeShape(InterfaceKind kind) {
    InterfaceShape shape;
    shape.kind = kind;
    shape.descriptor = ReportDescriptor(kind);
    switch (kind) {
        case InterfaceKind::Keyboard:
            shape.usagePage = 0x01;
            shape.usage = 0x06;
            shape.inputLength = 9;
            shape.outputLength = 2;
            break;
        case InterfaceKind::Command:
            shape.usagePage = 0xFF00;
            shape.usage = 0x01;
            shape.featureLength = 65;
            break;
        case InterfaceKind::Receiver:
            shape.usagePage = 0xFF00;
            shape.usage = 0x02;
            shape.inputLength = 33;
            shape.outputLength = 33;
            break;
        case InterfaceKind::Notification:
            shape.usagePage = 0xFFFF;
            shape.usage = 0x01;
            shape.reportId = 0x05;
            shape.inputLength = 65;
            break;
        case InterfaceKind::Bulk:
            shape.usagePage = 0xFF01;
            shape.usage = 0x01;
            shape.inputLength = 65;
            shape.outputLength = 4097;
            break;
    }
    return shape;
}

}  // namespace

std::vector<std::uint8_t> ReportDescriptor(InterfaceKind kind) {
    switch (kind) {
        case InterfaceKind::Keyboard:
            return kBootKeyboard;
        case InterfaceKind::Command:
            return kCommand;
        case InterfaceKind::Receiver:
            return kReceiver;
        case InterfaceKind::Notification:
            return kNotification;
        case InterfaceKind::Bulk:
            return kBulk;
    }
    return {};
}

std::vector<InterfaceShape> InterfacesForMode(const ModelInfo& model, const ModeInfo& mode) {
    std::vector<InterfaceShape> interfaces;
    InterfaceShape main =
        MakeShape(mode.mode == 2 ? InterfaceKind::Receiver : InterfaceKind::Command);
    main.number = mode.interfaceNumber;
    interfaces.push_back(main);

    std::vector<InterfaceKind> others = {InterfaceKind::Keyboard, InterfaceKind::Notification};
    if (mode.mode == 0 && model.hasScreen) {
        others.push_back(InterfaceKind::Bulk);
    }
    int next = 0;
    for (const InterfaceKind kind : others) {
        if (next == main.number) {
            ++next;
        }
        InterfaceShape shape = MakeShape(kind);
        shape.number = next++;
        interfaces.push_back(shape);
    }
    std::sort(interfaces.begin(), interfaces.end(),
              [](const InterfaceShape& a, const InterfaceShape& b) { return a.number < b.number; });
    return interfaces;
}

const char* InterfaceLogName(InterfaceKind kind) {
    switch (kind) {
        case InterfaceKind::Keyboard:
            return "keyboard";
        case InterfaceKind::Command:
            return "cable";
        case InterfaceKind::Receiver:
            return "receiver";
        case InterfaceKind::Notification:
            return "notify";
        case InterfaceKind::Bulk:
            return "bulk";
    }
    return "unknown";
}

}  // namespace zephyl::virtualhid
