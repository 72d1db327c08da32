// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zephyl {

/// SHA-256 (FIPS 180-4), fed in pieces. Our own: a digest of the downloaded package is all we
/// need, and it is not worth mapping a cryptography library into every start of the program.
class Sha256 {
public:
    Sha256();
    void Update(const std::uint8_t* data, std::size_t size);
    /// The digest as 64 lower-case hexadecimal digits. Ends the digest: call it once.
    std::string HexDigest();

private:
    void Compress();

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_block{};
    std::size_t m_filled = 0;
    std::uint64_t m_length = 0;  ///< bytes fed so far
};

/// The SHA-256 of a file as 64 lower-case hexadecimal digits; empty when it cannot be read.
std::string FileSha256(const std::string& path);

/// The digest a `<package>.sha256` file gives: its first word, as the usual checksum tools
/// write it ("<digest>  <name>"), in lower case. Empty unless it is 64 hexadecimal digits.
std::string ParseSha256File(const std::string& text);

/// The whole of a small text file; empty when it cannot be read or is larger than `limit`.
std::string ReadSmallFile(const std::string& path, std::size_t limit = 64 * 1024);

}  // namespace zephyl
