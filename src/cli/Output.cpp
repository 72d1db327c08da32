// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Output.h"

#include "xml/Utf.h"

#include <cstdio>

namespace zephyl::cli {

namespace {

std::string WellFormed(const std::string& text) {
    return Utf16ToUtf8(Utf8ToUtf16(text));
}

bool IsC1Control(const std::string& text, std::size_t at) {
    // U+0080..U+009F in UTF-8: C2 80..C2 9F. A terminal may take U+009B as CSI and U+009D as
    // OSC, just as it takes ESC [ and ESC ].
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

}  // namespace

std::string Printable(const std::string& text) {
    const std::string wellFormed = WellFormed(text);
    std::string out;
    for (std::size_t i = 0; i < wellFormed.size(); ++i) {
        const auto c = static_cast<unsigned char>(wellFormed[i]);
        char escaped[8];
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else if (IsC1Control(wellFormed, i)) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x",
                          static_cast<unsigned char>(wellFormed[i + 1]));
            out += escaped;
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string JsonString(const std::string& text) {
    const std::string wellFormed = WellFormed(text);
    std::string out = "\"";
    for (std::size_t i = 0; i < wellFormed.size(); ++i) {
        const auto c = static_cast<unsigned char>(wellFormed[i]);
        if (IsC1Control(wellFormed, i)) {
            // Valid JSON either way; escaped, it cannot act on a terminal that shows the output.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x",
                          static_cast<unsigned char>(wellFormed[i + 1]));
            out += escaped;
            ++i;
            continue;
        }
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
