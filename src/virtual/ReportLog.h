// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zephyl::virtualhid {

/// The report log: one JSON line per report that crossed a hidapi call, with its bytes exactly
/// as they crossed it (report id included):
///
///     {"t":12,"iface":"cable","op":"set_feature","hex":"000418…","model":101,"mode":0}
///
/// "t" counts milliseconds since the library was loaded; "iface" is cable, receiver, bulk,
/// notify or keyboard; "op" is set_feature, get_feature, write or read. Lines are appended and
/// flushed one by one, so a test can read the file while the program runs.
class ReportLog {
public:
    ReportLog() = default;
    ~ReportLog() { Close(); }
    ReportLog(const ReportLog&) = delete;
    ReportLog& operator=(const ReportLog&) = delete;

    /// Opens (appends to) the file; an empty path or an unwritable file disables the log.
    void Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    void Write(long long milliseconds, const char* interfaceName, const char* operation,
               const std::uint8_t* data, std::size_t length, int deviceType, int mode);

private:
    std::FILE* m_file = nullptr;
};

}  // namespace zephyl::virtualhid
