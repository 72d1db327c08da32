// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/TempEnvironment.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace zephyl::test {

TempEnvironment::TempEnvironment() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zephyl-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_root = pattern;
    std::filesystem::create_directories(DataHome());
    std::filesystem::create_directories(ConfigHome());
    std::filesystem::create_directories(RuntimeDir());
    std::filesystem::permissions(RuntimeDir(), std::filesystem::perms::owner_all);
    SetVariable("XDG_DATA_HOME", DataHome().string());
    SetVariable("XDG_CONFIG_HOME", ConfigHome().string());
    SetVariable("XDG_RUNTIME_DIR", RuntimeDir().string());
    SetVariable("HOME", m_root.string());
}

TempEnvironment::~TempEnvironment() {
    for (const auto& [name, value] : m_saved) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::permissions(m_root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_root, ignored);
}

void TempEnvironment::SetVariable(const std::string& name,
                                  const std::optional<std::string>& value) {
    if (!m_saved.contains(name)) {
        const char* old = std::getenv(name.c_str());
        m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zephyl::test
