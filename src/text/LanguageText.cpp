// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/LanguageText.h"

#include "platform/Paths.h"
#include "text/CurrentLanguage.h"

#include <cctype>
#include <fstream>
#include <string>

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

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
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

}  // namespace

std::string ReadLanguageEntry(const std::string& filePath, std::string_view section, int key) {
    std::ifstream in(filePath, std::ios::binary);
    if (!in) {
        return {};
    }
    const std::string wantedKey = std::to_string(key);
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
            inSection =
                close != std::string::npos &&
                EqualsIgnoringCase(Trim(std::string_view(trimmed).substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        const auto equals = trimmed.find('=');
        if (equals == std::string::npos ||
            !EqualsIgnoringCase(Trim(std::string_view(trimmed).substr(0, equals)), wantedKey)) {
            continue;
        }
        return CutToCharacters(Unquote(Trim(std::string_view(trimmed).substr(equals + 1))),
                               kLanguageValueLimit);
    }
    return {};
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
