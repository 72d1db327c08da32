// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlDocument.h"

#include <limits>
#include <new>

#include "xml/Utf.h"
#include "xml/XmlDocumentImpl.h"
#include "xml/XmlEntities.h"
#include "xml/XmlIndexer.h"
#include "xml/XmlScan.h"

namespace zephyl {

bool XmlDocument::Impl::Reindex() {
    ResetCursor();
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        // Offsets are 32-bit; a text this long cannot be indexed, so it is not kept.
        text.clear();
        text.shrink_to_fit();
        index.Reset(0);
        log.Add("text_length_limit");
        return false;
    }
    return xml::IndexText(text, index, log, IgnoreCase());
}

std::u16string_view XmlDocument::Impl::TagName(int32_t record) const {
    const size_t start = static_cast<size_t>(index[record].start) + 1;
    return std::u16string_view(text).substr(start, xml::TagNameLength(text, start));
}

bool XmlDocument::Impl::NameIs(std::u16string_view textName, std::string_view wanted) const {
    // Names are nearly always ASCII: compare them without converting.
    bool ascii = true;
    for (const char c : wanted) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) return xml::NamesEqual(textName, Utf8ToUtf16(wanted), IgnoreCase());
    if (textName.size() != wanted.size()) return false;
    const bool ignoreCase = IgnoreCase();
    for (size_t i = 0; i < wanted.size(); ++i) {
        const char16_t a = textName[i];
        const auto b = static_cast<char16_t>(wanted[i]);
        if (a == b) continue;
        if (!ignoreCase || xml::AsciiLower(a) != xml::AsciiLower(b)) return false;
    }
    return true;
}

XmlDocument::XmlDocument() : m_impl(std::make_unique<Impl>()) {}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::SetText(std::string_view utf8Text) {
    try {
        return SetText(Utf8ToUtf16(utf8Text));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool XmlDocument::SetText(std::u16string_view text) {
    Impl& d = *m_impl;
    try {
        d.log.Clear();
        d.text.assign(text);
        return d.Reindex();
    } catch (const std::bad_alloc&) {
        d.text.clear();
        d.index.Reset(0);
        d.ResetCursor();
        d.log.Add("out_of_memory");
        return false;
    }
}

bool XmlDocument::Load(const std::string& path) {
    Impl& d = *m_impl;
    try {
        return d.Load(path);
    } catch (const std::bad_alloc&) {
        d.text.clear();
        d.index.Reset(0);
        d.ResetCursor();
        d.log.Add("out_of_memory");
        return false;
    }
}

bool XmlDocument::Save(const std::string& path) {
    try {
        return m_impl->Save(path);
    } catch (const std::bad_alloc&) {
        m_impl->log.Add("out_of_memory");
        return false;
    }
}

bool XmlDocument::FindElement(std::string_view name) {
    Impl& d = *m_impl;
    int32_t r = d.mainPos != 0 ? d.index[d.mainPos].nextSibling : d.index[d.parentPos].firstChild;
    for (; r != 0; r = d.index[r].nextSibling) {
        if (d.NameIs(d.TagName(r), name)) {
            d.mainPos = r;
            d.childPos = 0;
            d.nodeKind = 1;
            return true;
        }
    }
    return false;
}

bool XmlDocument::FindAnyElement() {
    Impl& d = *m_impl;
    const int32_t r =
        d.mainPos != 0 ? d.index[d.mainPos].nextSibling : d.index[d.parentPos].firstChild;
    if (r == 0) return false;
    d.mainPos = r;
    d.childPos = 0;
    d.nodeKind = 1;
    return true;
}

std::string XmlDocument::GetTagName() const {
    const Impl& d = *m_impl;
    if (d.mainPos == 0 || d.nodeKind != 1) return {};
    return Utf16ToUtf8(d.TagName(d.mainPos));
}

bool XmlDocument::EnterElement() {
    Impl& d = *m_impl;
    if (d.mainPos == 0 || d.nodeKind != 1) return false;
    d.parentPos = d.mainPos;
    d.mainPos = d.childPos;
    d.childPos = 0;
    d.nodeKind = d.mainPos != 0 ? 1 : 0;
    return true;
}

bool XmlDocument::LeaveElement() {
    Impl& d = *m_impl;
    if (d.parentPos == 0) return false;
    d.childPos = d.mainPos;
    d.mainPos = d.parentPos;
    d.parentPos = d.index[d.parentPos].parent;
    d.nodeKind = 1;
    return true;
}

void XmlDocument::ResetPosition() { m_impl->ResetCursor(); }

std::string XmlDocument::GetAttribute(std::string_view name) const {
    const Impl& d = *m_impl;
    if (d.mainPos == 0 || d.nodeKind != 1) return {};
    const xml::ElementRecord& element = d.index[d.mainPos];
    const std::u16string_view text = d.text;
    const size_t nameStart = static_cast<size_t>(element.start) + 1;
    // The scan stops before the closing '>' so that a value without its closing quote cannot
    // reach past the start tag.
    const size_t tagEnd = static_cast<size_t>(element.start) + element.StartTagLength() - 1;
    xml::AttributeScanner scanner(text, nameStart + xml::TagNameLength(text, nameStart), tagEnd);
    xml::AttributeSpan span;
    while (scanner.Next(span)) {
        if (!d.NameIs(text.substr(span.nameStart, span.nameEnd - span.nameStart), name)) continue;
        if (!span.hasValue) return {};
        const std::u16string_view value =
            text.substr(span.contentStart, span.contentEnd - span.contentStart);
        if (value.find(u'&') == std::u16string_view::npos) return Utf16ToUtf8(value);
        return Utf16ToUtf8(xml::DecodeEntities(value));
    }
    return {};
}

bool XmlDocument::AddElement(std::string_view name) {
    try {
        return m_impl->AddElement(name);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool XmlDocument::SetAttribute(std::string_view name, std::string_view value) {
    try {
        return m_impl->SetAttribute(name, value);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool XmlDocument::SetAttribute(std::string_view name, int value) {
    return SetAttribute(name, std::to_string(value));
}

const std::u16string& XmlDocument::Text() const { return m_impl->text; }

std::string XmlDocument::TextUtf8() const { return Utf16ToUtf8(m_impl->text); }

std::string XmlDocument::ResultLog() const { return Utf16ToUtf8(m_impl->log.Text()); }

int XmlDocument::Flags() const { return m_impl->flags; }

void XmlDocument::SetFlags(int flags) { m_impl->flags = flags; }

}  // namespace zephyl
