// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Output.h"

#include "xml/Utf.h"

#include <cstdio>

namespace zephyl::cli {

namespace {

std::string WellFormed(const std::string& text) {
    return Utf16ToUtf8(Utf8ToUtf16(text));
}

}  // namespace

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : WellFormed(text)) {
        if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : WellFormed(text)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

}  // namespace zephyl::cli
