// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlEncoding.h"

#include "xml/Utf.h"
#include "xml/XmlScan.h"

namespace zephyl::xml {

namespace {

constexpr size_t kNone = std::u16string_view::npos;

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lowerWord) {
    if (text.size() != lowerWord.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (AsciiLower(text[i]) != lowerWord[i])
            return false;
    }
    return true;
}

size_t FindIgnoringCase(std::u16string_view text, std::u16string_view lowerWord, size_t from) {
    if (lowerWord.size() > text.size())
        return kNone;
    for (size_t i = from; i + lowerWord.size() <= text.size(); ++i) {
        if (EqualsIgnoringCase(text.substr(i, lowerWord.size()), lowerWord))
            return i;
    }
    return kNone;
}

std::string XmlDeclarationEncoding(std::u16string_view text) {
    const size_t nameLength = TagNameLength(text, 2);
    if (!EqualsIgnoringCase(text.substr(2, nameLength), u"xml"))
        return {};
    const size_t close = text.find(u"?>", 2);
    AttributeScanner scanner(text, 2 + nameLength, close == kNone ? text.size() : close);
    AttributeSpan span;
    while (scanner.Next(span)) {
        if (span.hasValue && text.substr(span.nameStart, span.nameEnd - span.nameStart) ==
                                 std::u16string_view(u"encoding")) {
            return Utf16ToUtf8(text.substr(span.contentStart, span.contentEnd - span.contentStart));
        }
    }
    return {};
}

/// The charset of a Content-Type value such as "text/html; charset=iso-8859-1".
std::u16string_view CharsetOfContentType(std::u16string_view content) {
    const size_t at = FindIgnoringCase(content, u"charset=", 0);
    if (at == kNone)
        return {};
    size_t start = at + 8;
    size_t end = start;
    while (end < content.size() && content[end] != u';' && !IsXmlSpace(content[end]) &&
           content[end] != u'"' && content[end] != u'\'') {
        ++end;
    }
    return content.substr(start, end - start);
}

std::string HtmlMetaEncoding(std::u16string_view text, size_t htmlStart) {
    size_t headEnd = FindIgnoringCase(text, u"</head", htmlStart);
    if (headEnd == kNone)
        headEnd = text.size();
    const std::u16string_view head = text.substr(0, headEnd);
    size_t pos = htmlStart;
    while ((pos = FindIgnoringCase(head, u"<meta", pos)) != kNone) {
        const size_t nameEnd = pos + 5;
        pos = nameEnd;
        if (nameEnd < head.size() && !IsXmlSpace(head[nameEnd]))
            continue;
        size_t tagEnd = head.find(u'>', nameEnd);
        if (tagEnd == kNone)
            tagEnd = head.size();
        bool contentType = false;
        std::u16string_view content;
        AttributeScanner scanner(head, nameEnd, tagEnd);
        AttributeSpan span;
        while (scanner.Next(span)) {
            if (!span.hasValue)
                continue;
            const std::u16string_view name =
                head.substr(span.nameStart, span.nameEnd - span.nameStart);
            const std::u16string_view value =
                head.substr(span.contentStart, span.contentEnd - span.contentStart);
            if (EqualsIgnoringCase(name, u"charset") && !value.empty()) {
                return Utf16ToUtf8(value);
            }
            if (EqualsIgnoringCase(name, u"http-equiv")) {
                contentType = EqualsIgnoringCase(value, u"content-type");
            } else if (EqualsIgnoringCase(name, u"content")) {
                content = value;
            }
        }
        if (contentType) {
            const std::u16string_view charset = CharsetOfContentType(content);
            if (!charset.empty())
                return Utf16ToUtf8(charset);
        }
    }
    return {};
}

/// Where the first element starts when it is html; kNone otherwise.
size_t HtmlElementStart(std::u16string_view text) {
    size_t pos = 0;
    while ((pos = text.find(u'<', pos)) != kNone) {
        if (pos + 1 >= text.size())
            return kNone;
        const char16_t next = text[pos + 1];
        if (text.compare(pos, 4, u"<!--") == 0) {
            const size_t close = text.find(u"-->", pos + 4);
            if (close == kNone)
                return kNone;
            pos = close + 3;
        } else if (next == u'!' || next == u'?') {
            const size_t close = text.find(u'>', pos + 2);
            if (close == kNone)
                return kNone;
            pos = close + 1;
        } else if (IsStartTagFirst(next)) {
            const size_t nameLength = TagNameLength(text, pos + 1);
            return EqualsIgnoringCase(text.substr(pos + 1, nameLength), u"html") ? pos : kNone;
        } else {
            ++pos;
        }
    }
    return kNone;
}

}  // namespace

std::string FindDeclaredEncoding(std::u16string_view text) {
    if (text.starts_with(u"<?"))
        return XmlDeclarationEncoding(text);
    const size_t html = HtmlElementStart(text);
    if (html == kNone)
        return {};
    return HtmlMetaEncoding(text, html);
}

}  // namespace zephyl::xml
