// SPDX-License-Identifier: GPL-2.0-or-later
#include "VirtualTestSupport.h"

namespace zephyl::test {

Bytes Report(std::size_t length, Positions bytes) {
    Bytes report(length, 0);
    for (const auto& [position, value] : bytes) {
        report.at(static_cast<std::size_t>(position)) = static_cast<std::uint8_t>(value);
    }
    return report;
}

Bytes Frame(Positions bytes) {
    Bytes frame = Report(33, bytes);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 32; ++i) {
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    }
    frame[32] = sum;
    return frame;
}

Bytes Hex(const std::string& text) {
    Bytes bytes;
    EXPECT_TRUE(FromHex(text, bytes)) << text;
    return bytes;
}

std::string HexOf(const Bytes& bytes) {
    return ToHex(bytes);
}

VirtualFixture::VirtualFixture() {
    m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", ZEPHYL_SOURCE_DATA_DIR);
    m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
    m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
    m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
}

VirtualFixture::~VirtualFixture() {
    for (hid_device* device : m_open) {
        hid_close(device);
    }
}

void VirtualFixture::Load(const std::string& scenario) {
    ASSERT_EQ(zephyl_virtual_load_scenario(scenario.c_str()), 0) << scenario;
}

hid_device* VirtualFixture::Open(int pid, int usagePage) {
    hid_device_info* devices = hid_enumerate(0, 0);
    std::string path;
    for (hid_device_info* info = devices; info; info = info->next) {
        if (info->product_id == pid && info->usage_page == usagePage && path.empty()) {
            path = info->path;
        }
    }
    hid_free_enumeration(devices);
    if (path.empty()) {
        ADD_FAILURE() << "no interface with usage page " << usagePage << " for pid " << pid;
        return nullptr;
    }
    hid_device* device = hid_open_path(path.c_str());
    EXPECT_NE(device, nullptr);
    if (device) {
        m_open.push_back(device);
    }
    return device;
}

int VirtualFixture::Confirmed(hid_device* device, const Bytes& report) {
    if (hid_send_feature_report(device, report.data(), report.size()) < 0) {
        return -1;
    }
    Bytes back = report;
    const int count = hid_get_feature_report(device, back.data(), back.size());
    return count == 65 ? back[4] : -1;
}

bool VirtualFixture::SendBlock(hid_device* device, const Bytes& block) {
    for (std::size_t offset = 0; offset + 64 <= block.size(); offset += 64) {
        Bytes report(65, 0);
        std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(offset), 64, report.begin() + 1);
        if (hid_send_feature_report(device, report.data(), report.size()) != 65) {
            return false;
        }
    }
    return true;
}

Bytes VirtualFixture::Exchange(hid_device* device, const Bytes& frame) {
    if (hid_write(device, frame.data(), frame.size()) != static_cast<int>(frame.size())) {
        return {};
    }
    Bytes answer(65, 0);
    const int count = hid_read_timeout(device, answer.data(), answer.size(), 0);
    answer.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    return answer;
}

JsonValue VirtualFixture::State() {
    const std::size_t length = zephyl_virtual_state_json(nullptr, 0);
    std::string text(length + 1, '\0');
    zephyl_virtual_state_json(text.data(), text.size());
    text.resize(length);
    JsonValue state;
    std::string error;
    EXPECT_TRUE(ParseJson(text, state, error)) << error;
    return state;
}

std::string VirtualFixture::At(const std::string& path) {
    JsonValue state = State();
    const JsonValue* value = &state;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t dot = path.find('.', start);
        const std::string name = path.substr(start, dot == std::string::npos ? dot : dot - start);
        if (value->IsArray()) {
            const std::size_t index = std::stoul(name);
            if (index >= value->Items().size()) {
                return "<missing>";
            }
            value = &value->Items()[index];
        } else {
            if (!value->Has(name)) {
                return "<missing>";
            }
            value = &(*value)[name];
        }
        if (dot == std::string::npos) {
            break;
        }
        start = dot + 1;
    }
    return value->IsString() ? value->AsString() : WriteJson(*value);
}

}  // namespace zephyl::test
