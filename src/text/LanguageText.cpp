// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/LanguageText.h"

#include "platform/Paths.h"
#include "text/CurrentLanguage.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zephyl {
namespace {

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// Cuts UTF-8 text after `limit` characters without splitting one.
std::string CutToCharacters(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {
            if (characters == limit) {
                return text.substr(0, i);
            }
            ++characters;
        }
    }
    return text;
}

// A value written between matching quotes is read without them.
std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Every entry of one language file, the first of each section and key kept, as the reader
// took the first match. Keys are the section and key texts in lower case.
using LanguageEntries = std::unordered_map<std::string, std::string>;

std::string EntryKey(std::string_view section, std::string_view key) {
    std::string text;
    text.reserve(section.size() + key.size() + 1);
    for (const char c : section) {
        text.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    text.push_back('\n');
    for (const char c : key) {
        text.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return text;
}

LanguageEntries ParseLanguageFile(std::istream& in) {
    LanguageEntries entries;
    std::string section;
    bool inSection = false;
    bool firstLine = true;
    std::string line;
    while (std::getline(in, line)) {
        if (firstLine && line.rfind("\xEF\xBB\xBF", 0) == 0) {
            line.erase(0, 3);
        }
        firstLine = false;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == ';') {
            continue;
        }
        if (trimmed.front() == '[') {
            const auto close = trimmed.find(']');
            inSection = close != std::string::npos;
            if (inSection) {
                section = Trim(std::string_view(trimmed).substr(1, close - 1));
            }
            continue;
        }
        const auto equals = trimmed.find('=');
        if (!inSection || equals == std::string::npos) {
            continue;
        }
        entries.try_emplace(
            EntryKey(section, Trim(std::string_view(trimmed).substr(0, equals))),
            CutToCharacters(Unquote(Trim(std::string_view(trimmed).substr(equals + 1))),
                            kLanguageValueLimit));
    }
    return entries;
}

/// The parsed language files, each read again when its modification time or size changed.
class LanguageFileCache {
public:
    std::string Find(const std::string& filePath, std::string_view section, int key) {
        std::error_code error;
        const auto time = std::filesystem::last_write_time(filePath, error);
        const auto size = error ? 0 : std::filesystem::file_size(filePath, error);
        std::lock_guard lock(m_mutex);
        if (error) {
            m_files.erase(filePath);
            return {};
        }
        CachedFile& file = m_files[filePath];
        if (!file.loaded || file.time != time || file.size != size) {
            std::ifstream in(filePath, std::ios::binary);
            file.entries = in ? ParseLanguageFile(in) : LanguageEntries{};
            file.time = time;
            file.size = size;
            file.loaded = true;
        }
        const auto found = file.entries.find(EntryKey(section, std::to_string(key)));
        return found == file.entries.end() ? std::string() : found->second;
    }

private:
    struct CachedFile {
        bool loaded = false;
        std::filesystem::file_time_type time;
        std::uintmax_t size = 0;
        LanguageEntries entries;
    };
    std::mutex m_mutex;
    std::unordered_map<std::string, CachedFile> m_files;
};

}  // namespace

std::string ReadLanguageEntry(const std::string& filePath, std::string_view section, int key) {
    static LanguageFileCache cache;
    return cache.Find(filePath, section, key);
}

std::string LanguageFilePath(int languageId) {
    return ResourceFolder() + "language/" + std::to_string(languageId) + ".lan";
}

std::string LanguageText(std::string_view section, int key) {
    return ReadLanguageEntry(LanguageFilePath(CurrentLanguageId()), section, key);
}

std::string LanguageText(int key) {
    return LanguageText(kDialogSection, key);
}

}  // namespace zephyl
