// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// The SHA-256 of a file as 64 lower-case hexadecimal digits; empty when it cannot be read.
std::string FileSha256(const std::string& path);

/// The digest a `<package>.sha256` file gives: its first word, as the usual checksum tools
/// write it ("<digest>  <name>"), in lower case. Empty unless it is 64 hexadecimal digits.
std::string ParseSha256File(const std::string& text);

/// The whole of a small text file; empty when it cannot be read or is larger than `limit`.
std::string ReadSmallFile(const std::string& path, std::size_t limit = 64 * 1024);

}  // namespace zephyl
