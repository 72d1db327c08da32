// SPDX-License-Identifier: GPL-2.0-or-later
// The one filter every foreign text passes before zephylctl prints it.
#include "cli/Output.h"

#include <gtest/gtest.h>

namespace zephyl::cli {
namespace {

TEST(OutputTest, PrintableLeavesNoControlForTheTerminal) {
    const struct {
        const char* name;
        std::string text;
        std::string printable;
    } cases[] = {
        {"plain text and its letters", "Night \xC3\xA9t\xC3\xA9 \xE5\xA4\x9C",
         "Night \xC3\xA9t\xC3\xA9 \xE5\xA4\x9C"},
        {"window title (OSC 0, BEL)", "\x1B]0;pwned\x07", "\\x1b]0;pwned\\x07"},
        {"clipboard (OSC 52, ST)", "\x1B]52;c;ZXZpbA==\x1B\\", "\\x1b]52;c;ZXZpbA==\\x1b\\"},
        {"newline, tab, carriage return, DEL", "a\nb\tc\rd\x7F", "a\\x0ab\\x09c\\x0dd\\x7f"},
        {"C1 CSI (U+009B)",
         "\xC2\x9B"
         "31m",
         "\\u009b31m"},
        {"C1 OSC and ST (U+009D, U+009C)",
         "\xC2\x9D"
         "0;t"
         "\xC2\x9C",
         "\\u009d0;t\\u009c"},
        {"first and last C1 (U+0080, U+009F)", "\xC2\x80\xC2\x9F", "\\u0080\\u009f"},
        {"just past C1 (U+00A0, U+00A9)", "\xC2\xA0\xC2\xA9", "\xC2\xA0\xC2\xA9"},
        {"a lone C1 byte is ill-formed",
         "\x9B"
         "31m",
         "\xEF\xBF\xBD"
         "31m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Printable(c.text), c.printable);
    }
}

TEST(OutputTest, JsonStringEscapesC1ControlsToo) {
    EXPECT_EQ(JsonString("a\xC2\x9B"
                         "b\x1B"),
              "\"a\\u009bb\\u001b\"");
    EXPECT_EQ(JsonString("\xC2\xA0"), "\"\xC2\xA0\"");
}

}  // namespace
}  // namespace zephyl::cli
