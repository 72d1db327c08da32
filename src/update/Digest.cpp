// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/Digest.h"

#include <openssl/evp.h>

#include <cctype>
#include <fstream>
#include <memory>

namespace zephyl {

std::string FileSha256(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        return {};
    }
    char buffer[65536];
    while (file) {
        file.read(buffer, sizeof buffer);
        if (file.gcount() > 0 &&
            EVP_DigestUpdate(context.get(), buffer, static_cast<std::size_t>(file.gcount())) != 1) {
            return {};
        }
    }
    if (file.bad()) {
        return {};
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
        return {};
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text.push_back(kHex[digest[i] >> 4]);
        text.push_back(kHex[digest[i] & 0xF]);
    }
    return text;
}

std::string ParseSha256File(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) {
        ++start;
    }
    std::string digest;
    for (std::size_t i = start;
         i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
            return {};
        }
        digest.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))));
    }
    return digest.size() == 64 ? digest : std::string();
}

std::string ReadSmallFile(const std::string& path, std::size_t limit) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    std::string text(limit + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto size = static_cast<std::size_t>(file.gcount());
    if (size > limit) {
        return {};
    }
    text.resize(size);
    return text;
}

}  // namespace zephyl
