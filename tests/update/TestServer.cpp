// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/TestServer.h"

#include "support/TempEnvironment.h"
#include "update/Digest.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zephyl::test {
namespace {

std::string ScriptPath() {
    return std::string(ZEPHYL_TEST_DATA_DIR) + "/https_server.py";
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

pid_t Spawn(const std::vector<std::string>& arguments, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t process = 0;
    const int error = posix_spawn(&process, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? process : 0;
}

int WaitExit(pid_t process) {
    int status = 0;
    while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TestServer::TestServer(const std::filesystem::path& folder) : m_folder(folder) {
    std::filesystem::create_directories(Root());
    const std::string python = FindProgram("python3");
    const std::string openssl = FindProgram("openssl");
    if (python.empty() || openssl.empty()) {
        m_problem = "python3 and openssl are needed for the test server (make deps installs them)";
        return;
    }
    const std::string output = (m_folder / "server.out").string();
    const pid_t keyMaker = Spawn(
        {openssl, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
         "-keyout", (m_folder / "key.pem").string(), "-out", CaFile()},
        output);
    if (keyMaker == 0 || WaitExit(keyMaker) != 0) {
        m_problem = "openssl could not make the test certificate: " + ReadFile(output);
        return;
    }
    const std::string portFile = (m_folder / "port").string();
    m_process = Spawn({python, ScriptPath(), "--root", Root().string(), "--cert", CaFile(), "--key",
                       (m_folder / "key.pem").string(), "--port-file", portFile, "--log",
                       (m_folder / "requests.log").string(), "--lifetime", "120"},
                      output);
    if (m_process == 0) {
        m_problem = "python3 could not be started";
        return;
    }
    for (int attempt = 0; attempt < 200 && !m_ready; ++attempt) {
        std::ifstream ports(portFile);
        if (ports >> m_port >> m_plainPort) {
            m_ready = true;
            break;
        }
        int status = 0;
        if (waitpid(m_process, &status, WNOHANG) == m_process) {
            m_process = 0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!m_ready) {
        m_problem = "the test server did not start: " + ReadFile(output);
    }
}

TestServer::~TestServer() {
    if (m_process > 0) {
        kill(m_process, SIGTERM);
        WaitExit(m_process);
    }
}

std::string TestServer::Base(const std::string& kind) const {
    return "https://127.0.0.1:" + std::to_string(m_port) + "/" + kind + "/";
}

std::string TestServer::PlainBase(const std::string& kind) const {
    return "http://127.0.0.1:" + std::to_string(m_plainPort) + "/" + kind + "/";
}

std::string TestServer::RequestLog() const {
    return ReadFile(m_folder / "requests.log");
}

namespace {

// "Made by" Unix (3), so readers take the mode from the high half.
constexpr uLong kMadeByUnix = (3 << 8) | 20;

/// An entry whose header states `statedSize` instead of its real size: compressed here and
/// stored raw, so the archive writer takes our size as it is.
bool WriteLyingEntry(zipFile archive, const ZipEntry& entry) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    std::string packed(deflateBound(&stream, static_cast<uLong>(entry.content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(entry.content.data()));
    stream.avail_in = static_cast<uInt>(entry.content.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    const bool deflated = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    zip_fileinfo info{};
    info.external_fa = static_cast<uLong>(entry.mode) << 16;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()),
                            static_cast<uInt>(entry.content.size()));
    return deflated &&
           zipOpenNewFileInZip4(archive, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_BEST_COMPRESSION, 1, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix, 0) == ZIP_OK &&
           zipWriteInFileInZip(archive, packed.data(), static_cast<unsigned>(packed.size())) ==
               ZIP_OK &&
           zipCloseFileInZipRaw64(archive, static_cast<ZPOS64_T>(entry.statedSize), crc) == ZIP_OK;
}

}  // namespace

bool WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
    zipFile archive = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (archive == nullptr) {
        return false;
    }
    bool ok = true;
    for (const ZipEntry& entry : entries) {
        if (entry.statedSize >= 0) {
            ok = ok && WriteLyingEntry(archive, entry);
            continue;
        }
        zip_fileinfo info{};
        info.external_fa = static_cast<uLong>(entry.mode) << 16;
        ok = ok &&
             zipOpenNewFileInZip4(archive, entry.name.c_str(), &info, nullptr, 0, nullptr, 0,
                                  nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                  DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix,
                                  0) == ZIP_OK &&
             zipWriteInFileInZip(archive, entry.content.data(),
                                 static_cast<unsigned>(entry.content.size())) == ZIP_OK &&
             zipCloseFileInZip(archive) == ZIP_OK;
    }
    return zipClose(archive, nullptr) == ZIP_OK && ok;
}

std::string Sha256Line(const std::filesystem::path& file) {
    return FileSha256(file.string()) + "  " + file.filename().string() + "\n";
}

}  // namespace zephyl::test
