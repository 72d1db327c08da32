// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

#include "xml/FindUnit.h"

namespace zephyl::xml {

inline bool IsXmlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

/// Characters that end a tag name.
inline bool IsTagNameEnd(char16_t c) {
    switch (c) {
        case u' ':
        case u'\t':
        case u'\n':
        case u'\r':
        case u'<':
        case u'>':
        case u'=':
        case u'\\':
        case u'/':
        case u'?':
        case u'!':
        case u'"':
        case u'\'':
        case u';':
            return true;
        default:
            return false;
    }
}

/// Characters that may follow '<' in a start tag.
inline bool IsStartTagFirst(char16_t c) {
    return c == u':' || c == u'_' || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c >= 0x7B;
}

/// Length of the tag name that starts at pos.
inline size_t TagNameLength(std::u16string_view text, size_t pos) {
    size_t end = pos;
    while (end < text.size() && !IsTagNameEnd(text[end]))
        ++end;
    return end - pos;
}

inline char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + 32 : c;
}

/// Compares a name from the text with a wanted name, exactly or ignoring ASCII letter case.
inline bool NamesEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
    if (a.size() != b.size())
        return false;
    if (!ignoreCase)
        return a == b;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

/// One attribute found inside a tag. Positions are offsets in the scanned text.
struct AttributeSpan {
    size_t nameStart = 0;
    size_t nameEnd = 0;
    bool hasValue = false;
    char16_t quote = 0;       // 0 for an unquoted value
    size_t valueStart = 0;    // the opening quote for a quoted value
    size_t valueEnd = 0;      // just past the closing quote (or the unquoted run)
    size_t contentStart = 0;  // the value without its quotes
    size_t contentEnd = 0;
};

/// Walks the attributes of a tag from just after its name up to end (exclusive). A quoted
/// value that is never closed runs to end.
class AttributeScanner {
public:
    AttributeScanner(std::u16string_view text, size_t pos, size_t end)
        : m_text(text), m_pos(pos), m_end(end < text.size() ? end : text.size()), m_lastEnd(pos) {}

    bool Next(AttributeSpan& span) {
        SkipSpace();
        if (m_pos >= m_end)
            return false;
        const char16_t first = m_text[m_pos];
        if (first == u'/' || first == u'>' || first == u'?')
            return false;
        span = AttributeSpan{};
        span.nameStart = m_pos;
        while (m_pos < m_end && !IsNameEnd(m_text[m_pos]))
            ++m_pos;
        span.nameEnd = m_pos;
        m_lastEnd = m_pos;
        const size_t afterName = m_pos;
        SkipSpace();
        if (m_pos >= m_end || m_text[m_pos] != u'=') {
            // No value: whatever follows is the next token.
            m_pos = afterName;
            return true;
        }
        ++m_pos;
        SkipSpace();
        span.hasValue = true;
        span.valueStart = m_pos;
        if (m_pos < m_end && (m_text[m_pos] == u'"' || m_text[m_pos] == u'\'')) {
            span.quote = m_text[m_pos];
            span.contentStart = ++m_pos;
            m_pos = FindUnit(m_text, m_pos, m_end, span.quote);
            span.contentEnd = m_pos;
            if (m_pos < m_end)
                ++m_pos;
        } else {
            span.contentStart = m_pos;
            while (m_pos < m_end && !IsXmlSpace(m_text[m_pos]) && m_text[m_pos] != u'>')
                ++m_pos;
            span.contentEnd = m_pos;
        }
        span.valueEnd = m_pos;
        m_lastEnd = m_pos;
        return true;
    }

    /// Just past the last attribute read, or where the scan began.
    size_t LastEnd() const { return m_lastEnd; }

private:
    static bool IsNameEnd(char16_t c) {
        return IsXmlSpace(c) || c == u'=' || c == u'>' || c == u'/' || c == u'?';
    }
    void SkipSpace() {
        while (m_pos < m_end && IsXmlSpace(m_text[m_pos]))
            ++m_pos;
    }

    std::u16string_view m_text;
    size_t m_pos;
    size_t m_end;
    size_t m_lastEnd;
};

}  // namespace zephyl::xml
