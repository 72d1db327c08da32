// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/Utf.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zephyl {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Bounds of the second byte of a multi-byte sequence; they exclude overlong forms, surrogates
// and values above U+10FFFF, so that each maximal invalid subpart yields one replacement.
struct LeadInfo {
    int length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

LeadInfo DescribeLead(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, 0x80, 0xBF};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, 0x80, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

char* AppendUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

/// Widens the ASCII bytes at the start of `bytes` (at most `size`) into `out`, sixteen at a time
/// where it can; returns how many it widened. It may stop before the last few ASCII bytes.
size_t WidenAscii(const unsigned char* bytes, size_t size, char16_t* out) {
    size_t done = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (done + 16 <= size) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + done));
        if (_mm_movemask_epi8(chunk) != 0) {
            break;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 8),
                         _mm_unpackhi_epi8(chunk, zero));
        done += 16;
    }
#else
    while (done + 8 <= size) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, bytes + done, sizeof chunk);
        if ((chunk & 0x8080808080808080ULL) != 0) {
            break;
        }
        for (size_t k = 0; k < 8; ++k) {
            out[done + k] = bytes[done + k];
        }
        done += 8;
    }
#endif
    return done;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    // Never more units than bytes: write into a string of that size and cut it down after.
    std::u16string out(utf8.size(), u'\0');
    char16_t* const first = out.data();
    char16_t* dst = first;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t size = utf8.size();
    size_t i = 0;
    while (i < size) {
        // Layouts and settings are almost all ASCII: widen whole runs of it at once.
        const size_t ascii = WidenAscii(bytes + i, size - i, dst);
        i += ascii;
        dst += ascii;
        if (i >= size) {
            break;
        }
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            *dst++ = lead;
            ++i;
            continue;
        }
        const LeadInfo info = DescribeLead(lead);
        if (info.length == 0) {
            *dst++ = kReplacement;
            ++i;
            continue;
        }
        char32_t cp = lead & (0xFF >> (info.length + 1));
        size_t j = i + 1;
        bool complete = true;
        for (int k = 1; k < info.length; ++k, ++j) {
            const unsigned char low = k == 1 ? info.secondLow : 0x80;
            const unsigned char high = k == 1 ? info.secondHigh : 0xBF;
            if (j >= size || bytes[j] < low || bytes[j] > high) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (bytes[j] & 0x3F);
        }
        if (!complete) {
            // The bytes consumed so far form one maximal invalid subpart.
            *dst++ = kReplacement;
            i = j;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *dst++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *dst++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *dst++ = static_cast<char16_t>(cp);
        }
        i = j;
    }
    out.resize(static_cast<size_t>(dst - first));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    // At most three bytes per unit (a surrogate pair makes four bytes of two units).
    std::string out(utf16.size() * 3, '\0');
    char* const first = out.data();
    char* dst = first;
    const size_t size = utf16.size();
    for (size_t i = 0; i < size; ++i) {
        const char16_t unit = utf16[i];
        char32_t cp = unit;
        if (unit < 0x80) {
            *dst++ = static_cast<char>(unit);
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                 (static_cast<char32_t>(utf16[i + 1]) - 0xDC00);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            cp = kReplacement;
        }
        dst = AppendUtf8(dst, cp);
    }
    out.resize(static_cast<size_t>(dst - first));
    return out;
}

}  // namespace zephyl
