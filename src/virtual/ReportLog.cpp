// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/ReportLog.h"

#include "virtual/Json.h"

namespace zephyl::virtualhid {

void ReportLog::Open(const std::string& path) {
    Close();
    if (!path.empty()) {
        m_file = std::fopen(path.c_str(), "ae");
    }
}

void ReportLog::Close() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

void ReportLog::Write(long long milliseconds, const char* interfaceName, const char* operation,
                      const std::uint8_t* data, std::size_t length, int deviceType, int mode) {
    if (!m_file) {
        return;
    }
    const std::string hex = ToHex(data, length);
    std::fprintf(m_file,
                 "{\"t\":%lld,\"iface\":\"%s\",\"op\":\"%s\",\"hex\":\"%s\",\"model\":%d,"
                 "\"mode\":%d}\n",
                 milliseconds, interfaceName, operation, hex.c_str(), deviceType, mode);
    std::fflush(m_file);
}

}  // namespace zephyl::virtualhid
