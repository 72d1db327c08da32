// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlDocument.h"

#include <limits>
#include <new>

#include "xml/FindUnit.h"
#include "xml/Utf.h"
#include "xml/XmlDocumentImpl.h"
#include "xml/XmlEntities.h"
#include "xml/XmlIndexer.h"
#include "xml/XmlScan.h"

namespace zephyl {

bool XmlDocument::Impl::Reindex() {
    ResetCursor();
    ++generation;
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

namespace xml {

WantedName::WantedName(std::string_view utf8, bool ignoreCase)
    : m_utf8(utf8), m_ignoreCase(ignoreCase) {
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            m_ascii = false;
            m_utf16 = Utf8ToUtf16(utf8);
            break;
        }
    }
}

bool WantedName::Matches(std::u16string_view textName) const {
    if (!m_ascii)
        return NamesEqual(textName, m_utf16, m_ignoreCase);
    if (textName.size() != m_utf8.size())
        return false;
    for (size_t i = 0; i < m_utf8.size(); ++i) {
        const char16_t a = textName[i];
        const auto b = static_cast<char16_t>(m_utf8[i]);
        if (a == b)
            continue;
        if (!m_ignoreCase || AsciiLower(a) != AsciiLower(b))
            return false;
    }
    return true;
}

}  // namespace xml

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
        ++d.generation;
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
        ++d.generation;
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
    const xml::WantedName wanted = d.Wanted(name);
    int32_t r = d.mainPos != 0 ? d.index[d.mainPos].nextSibling : d.index[d.parentPos].firstChild;
    for (; r != 0; r = d.index[r].nextSibling) {
        if (wanted.Matches(d.TagName(r))) {
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
    if (r == 0)
        return false;
    d.mainPos = r;
    d.childPos = 0;
    d.nodeKind = 1;
    return true;
}

std::string XmlDocument::GetTagName() const {
    const Impl& d = *m_impl;
    if (d.mainPos == 0 || d.nodeKind != 1)
        return {};
    return Utf16ToUtf8(d.TagName(d.mainPos));
}

bool XmlDocument::EnterElement() {
    Impl& d = *m_impl;
    if (d.mainPos == 0 || d.nodeKind != 1)
        return false;
    d.parentPos = d.mainPos;
    d.mainPos = d.childPos;
    d.childPos = 0;
    d.nodeKind = d.mainPos != 0 ? 1 : 0;
    return true;
}

bool XmlDocument::LeaveElement() {
    Impl& d = *m_impl;
    if (d.parentPos == 0)
        return false;
    d.childPos = d.mainPos;
    d.mainPos = d.parentPos;
    d.parentPos = d.index[d.parentPos].parent;
    d.nodeKind = 1;
    return true;
}

void XmlDocument::ResetPosition() {
    m_impl->ResetCursor();
}

const std::vector<XmlDocument::Impl::CachedAttribute>& XmlDocument::Impl::AttributesOfCurrent()
    const {
    if (attributesOf == mainPos && attributesGeneration == generation)
        return attributes;
    attributes.clear();
    attributesOf = mainPos;
    attributesGeneration = generation;
    const xml::ElementRecord& element = index[mainPos];
    const std::u16string_view view = text;
    const size_t nameStart = static_cast<size_t>(element.start) + 1;
    // The scan stops before the closing '>' so that a value without its closing quote cannot
    // reach past the start tag.
    const size_t tagEnd = static_cast<size_t>(element.start) + element.StartTagLength() - 1;
    xml::AttributeScanner scanner(view, nameStart + xml::TagNameLength(view, nameStart), tagEnd);
    xml::AttributeSpan span;
    while (scanner.Next(span)) {
        attributes.push_back({static_cast<uint32_t>(span.nameStart),
                              static_cast<uint32_t>(span.nameEnd - span.nameStart),
                              static_cast<uint32_t>(span.contentStart),
                              static_cast<uint32_t>(span.contentEnd - span.contentStart),
                              span.hasValue});
    }
    return attributes;
}

std::string XmlDocument::GetAttribute(std::string_view name) const {
    const Impl& d = *m_impl;
    if (d.mainPos == 0 || d.nodeKind != 1)
        return {};
    const std::u16string_view text = d.text;
    const xml::WantedName wanted = d.Wanted(name);
    for (const Impl::CachedAttribute& attribute : d.AttributesOfCurrent()) {
        if (!wanted.Matches(text.substr(attribute.nameStart, attribute.nameLength)))
            continue;
        if (!attribute.hasValue)
            return {};
        const std::u16string_view value = text.substr(attribute.valueStart, attribute.valueLength);
        if (xml::FindUnit(value, 0, value.size(), u'&') == value.size()) {
            return Utf16ToUtf8(value);
        }
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

const std::u16string& XmlDocument::Text() const {
    return m_impl->text;
}

std::string XmlDocument::TextUtf8() const {
    return Utf16ToUtf8(m_impl->text);
}

std::string XmlDocument::ResultLog() const {
    return Utf16ToUtf8(m_impl->log.Text());
}

int XmlDocument::Flags() const {
    return m_impl->flags;
}

void XmlDocument::SetFlags(int flags) {
    m_impl->flags = flags;
}

}  // namespace zephyl
