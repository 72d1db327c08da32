// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/Digest.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <fstream>

namespace zephyl {
namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t RotateRight(std::uint32_t value, int count) {
    return (value >> count) | (value << (32 - count));
}

}  // namespace

Sha256::Sha256()
    : m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::Update(const std::uint8_t* data, std::size_t size) {
    m_length += size;
    while (size > 0) {
        const std::size_t take = std::min(size, m_block.size() - m_filled);
        std::copy(data, data + take, m_block.begin() + static_cast<std::ptrdiff_t>(m_filled));
        m_filled += take;
        data += take;
        size -= take;
        if (m_filled == m_block.size()) {
            Compress();
            m_filled = 0;
        }
    }
}

void Sha256::Compress() {
    std::array<std::uint32_t, 64> words{};
    for (std::size_t i = 0; i < 16; ++i) {
        words[i] = std::uint32_t(m_block[i * 4]) << 24 | std::uint32_t(m_block[i * 4 + 1]) << 16 |
                   std::uint32_t(m_block[i * 4 + 2]) << 8 | std::uint32_t(m_block[i * 4 + 3]);
    }
    for (std::size_t i = 16; i < 64; ++i) {
        const std::uint32_t s0 =
            RotateRight(words[i - 15], 7) ^ RotateRight(words[i - 15], 18) ^ (words[i - 15] >> 3);
        const std::uint32_t s1 =
            RotateRight(words[i - 2], 17) ^ RotateRight(words[i - 2], 19) ^ (words[i - 2] >> 10);
        words[i] = words[i - 16] + s0 + words[i - 7] + s1;
    }
    std::array<std::uint32_t, 8> v = m_state;
    for (std::size_t i = 0; i < 64; ++i) {
        const std::uint32_t s1 =
            RotateRight(v[4], 6) ^ RotateRight(v[4], 11) ^ RotateRight(v[4], 25);
        const std::uint32_t choice = (v[4] & v[5]) ^ (~v[4] & v[6]);
        const std::uint32_t t1 = v[7] + s1 + choice + kRoundConstants[i] + words[i];
        const std::uint32_t s0 =
            RotateRight(v[0], 2) ^ RotateRight(v[0], 13) ^ RotateRight(v[0], 22);
        const std::uint32_t majority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
        const std::uint32_t t2 = s0 + majority;
        v = {t1 + t2, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
    }
    for (std::size_t i = 0; i < 8; ++i) {
        m_state[i] += v[i];
    }
}

std::string Sha256::HexDigest() {
    const std::uint64_t bits = m_length * 8;
    const std::uint8_t one = 0x80;
    Update(&one, 1);
    const std::uint8_t zero = 0;
    while (m_filled != 56) {
        Update(&zero, 1);
    }
    std::uint8_t length[8];
    for (int i = 0; i < 8; ++i) {
        length[i] = std::uint8_t(bits >> (56 - 8 * i));
    }
    Update(length, sizeof length);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const std::uint32_t word : m_state) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            text.push_back(kHex[(word >> shift) & 0xF]);
        }
    }
    return text;
}

std::string FileSha256(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    Sha256 digest;
    char buffer[65536];
    while (file) {
        file.read(buffer, sizeof buffer);
        if (file.gcount() > 0) {
            digest.Update(reinterpret_cast<const std::uint8_t*>(buffer),
                          static_cast<std::size_t>(file.gcount()));
        }
    }
    if (file.bad()) {
        return {};
    }
    return digest.HexDigest();
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
