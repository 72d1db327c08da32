// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zephyl::xml {

/// Searches [from, end) of a text for the first unit equal to any of the wanted ones and
/// returns its offset, or end when there is none. Reading and attribute lookups spend most of
/// their time here, so eight units are compared at once where the processor allows.
template <typename... Units>
inline size_t FindUnit(std::u16string_view text, size_t from, size_t end, Units... wanted) {
    if (end > text.size())
        end = text.size();
    const char16_t* const data = text.data();
    size_t i = from;
#if defined(__SSE2__)
    while (i + 8 <= end) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i hits =
            (_mm_cmpeq_epi16(chunk, _mm_set1_epi16(static_cast<short>(wanted))) | ...);
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return i + (static_cast<unsigned>(__builtin_ctz(mask)) >> 1);
        i += 8;
    }
#endif
    for (; i < end; ++i) {
        const char16_t c = data[i];
        if (((c == wanted) || ...))
            return i;
    }
    return end;
}

}  // namespace zephyl::xml
