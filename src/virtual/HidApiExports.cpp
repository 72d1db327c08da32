// SPDX-License-Identifier: GPL-2.0-or-later
// The hidapi C interface of the virtual keyboard; every call goes to the one VirtualBus.

#include "virtual/HidApi.h"
#include "virtual/VirtualBus.h"

using zephyl::virtualhid::VirtualBus;

namespace {

// The report-descriptor call belongs to hidapi 0.14; the version says so, so a host that checks
// the version before looking for it finds it.
const hid_api_version kVersion = {0, 14, 0};

}  // namespace

extern "C" {

int hid_init(void) {
    return VirtualBus::Instance().Init();
}

int hid_exit(void) {
    // The keyboards are hardware: they stay plugged in, and open handles stay as they are.
    return 0;
}

struct hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    return VirtualBus::Instance().Enumerate(vendor_id, product_id);
}

void hid_free_enumeration(struct hid_device_info* devs) {
    VirtualBus::FreeEnumeration(devs);
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id,
                     const wchar_t* serial_number) {
    return VirtualBus::Instance().Open(vendor_id, product_id, serial_number);
}

hid_device* hid_open_path(const char* path) {
    return VirtualBus::Instance().OpenPath(path);
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
    return VirtualBus::Instance().Write(dev, data, length);
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
    return VirtualBus::Instance().Read(dev, data, length, milliseconds);
}

int hid_read(hid_device* dev, unsigned char* data, size_t length) {
    return VirtualBus::Instance().ReadBlocking(dev, data, length);
}

int hid_set_nonblocking(hid_device* dev, int nonblock) {
    return VirtualBus::Instance().SetNonblocking(dev, nonblock);
}

int hid_send_feature_report(hid_device* dev, const unsigned char* data, size_t length) {
    return VirtualBus::Instance().SendFeature(dev, data, length);
}

int hid_get_feature_report(hid_device* dev, unsigned char* data, size_t length) {
    return VirtualBus::Instance().GetFeature(dev, data, length);
}

int hid_get_input_report(hid_device* dev, unsigned char* data, size_t length) {
    return VirtualBus::Instance().GetInput(dev, data, length);
}

void hid_close(hid_device* dev) {
    VirtualBus::Instance().Close(dev);
}

int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return VirtualBus::Instance().GetText(dev, VirtualBus::Text::Manufacturer, string, maxlen);
}

int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return VirtualBus::Instance().GetText(dev, VirtualBus::Text::Product, string, maxlen);
}

int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return VirtualBus::Instance().GetText(dev, VirtualBus::Text::Serial, string, maxlen);
}

struct hid_device_info* hid_get_device_info(hid_device* dev) {
    return VirtualBus::Instance().DeviceInfo(dev);
}

int hid_get_indexed_string(hid_device* dev, int string_index, wchar_t* string, size_t maxlen) {
    return VirtualBus::Instance().GetIndexedText(dev, string_index, string, maxlen);
}

int hid_get_report_descriptor(hid_device* dev, unsigned char* buf, size_t buf_size) {
    return VirtualBus::Instance().GetReportDescriptor(dev, buf, buf_size);
}

const wchar_t* hid_error(hid_device* dev) {
    return VirtualBus::Instance().Error(dev);
}

const struct hid_api_version* hid_version(void) {
    return &kVersion;
}

const char* hid_version_str(void) {
    return "0.14.0";
}

}  // extern "C"
