// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zephyl::xml {

/// Code pages, numbered as on Windows, that the reader and writer treat themselves.
constexpr int kCodePageUtf16Le = 1200;
constexpr int kCodePageUtf16Be = 1201;
constexpr int kCodePageUtf32Le = 12000;
constexpr int kCodePageUtf32Be = 12001;
constexpr int kCodePageUtf8 = 65001;
/// Used for files that declare nothing and are not UTF-8; Linux has no system "ANSI" code page,
/// and Windows-1252 is what such files most often turn out to be.
constexpr int kCodePageDefault8Bit = 1252;

/// The code page of a charset name or alias, letter case ignored; 0 when the name is unknown or
/// 100 characters long or longer. Names that begin with "UTF-32" select UTF-32.
int CodePageFromName(std::string_view name);

/// The iconv name of a code page; nullptr when none is known.
const char* IconvName(int codePage);

/// Whether a code page keeps text in 16- or 32-bit units rather than bytes.
bool IsWideCodePage(int codePage);

/// Whether a failed conversion to this code page can be noticed. Matches what Windows can tell
/// for these code pages, so the log reads the same.
bool CanReportConversionLoss(int codePage);

/// The lenient UTF-8 test of undeclared files: every byte of 0x80 or above must be a lead byte
/// of a two-, three- or four-byte sequence whose following bytes all have the top bit set.
bool LooksLikeUtf8(std::string_view bytes);

/// Converts bytes in a code page to UTF-16. Bytes that cannot be converted become U+FFFD; a
/// code page that cannot be converted on this system is read as the default 8-bit code page.
std::u16string DecodeBytes(std::string_view bytes, int codePage);

/// Converts UTF-16 text to bytes in an 8-bit or multi-byte code page. Characters without a
/// representation become '?' and set lossy. A code page that cannot be converted on this system
/// is written as the default 8-bit code page.
std::string EncodeText(std::u16string_view text, int codePage, bool& lossy);

/// The encoding that a text declares: the xml declaration's encoding attribute, or the charset
/// of an html document's meta element; empty when nothing is declared.
std::string FindDeclaredEncoding(std::u16string_view text);

}  // namespace zephyl::xml
