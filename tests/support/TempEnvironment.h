// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace zephyl::test {

/// A fresh temporary folder that also serves as the user's data, configuration and runtime
/// folders for as long as the object lives, so no test ever touches the developer's own files.
class TempEnvironment {
public:
    TempEnvironment();
    ~TempEnvironment();
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path DataHome() const { return m_root / "data"; }
    std::filesystem::path ConfigHome() const { return m_root / "config"; }
    std::filesystem::path RuntimeDir() const { return m_root / "runtime"; }

    /// Sets an environment variable until the object is destroyed.
    void SetVariable(const std::string& name, const std::optional<std::string>& value);

private:
    std::filesystem::path m_root;
    std::map<std::string, std::optional<std::string>> m_saved;
};

/// Writes a file in one piece, creating its folder; returns the path for chaining.
std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes);

/// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace zephyl::test
