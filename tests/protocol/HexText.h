// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zephyl::test {

/// Bytes as upper-case hex pairs separated by spaces, as the byte examples are written.
template <typename Container>
std::string Hex(const Container& bytes, size_t from, size_t count) {
    std::string text;
    for (size_t i = from; i < from + count && i < bytes.size(); ++i) {
        char part[4];
        std::snprintf(part, sizeof part, "%02X", static_cast<unsigned>(bytes[i]));
        if (!text.empty()) {
            text += ' ';
        }
        text += part;
    }
    return text;
}

template <typename Container>
std::string Hex(const Container& bytes) {
    return Hex(bytes, 0, bytes.size());
}

}  // namespace zephyl::test
