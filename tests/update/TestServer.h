// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zephyl::test {

/// The loopback HTTPS server of https_server.py with a certificate made for this object only,
/// serving the files of Root(). Ready() is false, with Problem() saying why, when python3 or
/// openssl is missing or the server did not come up.
class TestServer {
public:
    explicit TestServer(const std::filesystem::path& folder);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    bool Ready() const { return m_ready; }
    const std::string& Problem() const { return m_problem; }
    /// The folder the server serves files from.
    std::filesystem::path Root() const { return m_folder / "root"; }
    /// The certificate to trust: the server's own, self-signed.
    std::string CaFile() const { return (m_folder / "cert.pem").string(); }
    /// "https://127.0.0.1:PORT/KIND/" for a kind of https_server.py (files, nolength, ...).
    std::string Base(const std::string& kind = "files") const;
    /// The same address on the plain http listener.
    std::string PlainBase(const std::string& kind = "files") const;
    /// Every path requested so far, one a line.
    std::string RequestLog() const;

private:
    std::filesystem::path m_folder;
    pid_t m_process = 0;
    int m_port = 0;
    int m_plainPort = 0;
    bool m_ready = false;
    std::string m_problem;
};

/// Writes a ZIP archive of (name, content, unix mode) entries; a mode with S_IFLNK makes a
/// link whose content is its target.
struct ZipEntry {
    std::string name;
    std::string content;
    unsigned mode = 0100644;
    /// The size the archive claims the entry unpacks to; the true one when negative.
    long long statedSize = -1;
};
bool WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);

/// The SHA-256 companion text of a file, as sha256sum writes it.
std::string Sha256Line(const std::filesystem::path& file);

}  // namespace zephyl::test
