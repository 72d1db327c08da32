// SPDX-License-Identifier: GPL-2.0-or-later
#include <limits>

#include "xml/FindUnit.h"
#include "xml/Utf.h"
#include "xml/XmlDocumentImpl.h"
#include "xml/XmlEntities.h"
#include "xml/XmlScan.h"

namespace zephyl {

namespace {

using xml::ElementRecord;

constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr size_t kMaxTextLength = static_cast<size_t>(std::numeric_limits<int32_t>::max());

/// An element name that reads back as the same element once written.
bool IsWritableElementName(std::u16string_view name) {
    if (name.empty() || !xml::IsStartTagFirst(name[0]))
        return false;
    for (const char16_t c : name) {
        if (xml::IsTagNameEnd(c))
            return false;
    }
    return true;
}

/// An attribute name that the attribute scan finds again as one token and that cannot change
/// how the quotes of its tag pair up.
bool IsWritableAttributeName(std::u16string_view name) {
    if (name.empty())
        return false;
    for (const char16_t c : name) {
        if (xml::IsXmlSpace(c) || c == u'=' || c == u'>' || c == u'/' || c == u'?' || c == u'"' ||
            c == u'\'' || c == u'<') {
            return false;
        }
    }
    return true;
}

/// Whether an edited start tag still ends at its last character, read the way the indexer reads
/// it (quotes pair up anywhere in the tag), and is still empty or not as before. A tag with odd
/// quoting can read differently to the attribute scan; such an edit would change the document's
/// structure under the index, so it is refused.
bool KeepsItsShape(std::u16string_view tag, bool wasEmpty) {
    const size_t n = tag.size();
    size_t i = xml::FindUnit(tag, 1, n, u'>', u'"', u'\'');
    while (i < n && tag[i] != u'>') {
        const size_t close = xml::FindUnit(tag, i + 1, n, tag[i]);
        if (close == n)
            return false;
        i = xml::FindUnit(tag, close + 1, n, u'>', u'"', u'\'');
    }
    return i == n - 1 && (tag[n - 2] == u'/') == wasEmpty;
}

}  // namespace

void XmlDocument::Impl::Splice(size_t pos, size_t removeCount, std::u16string_view insert) {
    const size_t needed = text.size() - removeCount + insert.size();
    if (needed > text.capacity())
        text.reserve(needed + needed / 2 + 128);
    text.replace(pos, removeCount, insert);
    ++generation;
}

void XmlDocument::Impl::ShiftSubtree(int32_t top, int32_t delta) {
    int32_t x = top;
    for (;;) {
        index[x].start += delta;
        if (index[x].firstChild != 0) {
            x = index[x].firstChild;
            continue;
        }
        while (x != top && index[x].nextSibling == 0)
            x = index[x].parent;
        if (x == top)
            break;
        x = index[x].nextSibling;
    }
}

void XmlDocument::Impl::GrowAndShift(int32_t from, int32_t delta) {
    int32_t x = from;
    while (x != 0) {
        for (int32_t s = index[x].nextSibling; s != 0; s = index[s].nextSibling) {
            ShiftSubtree(s, delta);
        }
        const int32_t parent = index[x].parent;
        index[parent].length += delta;
        x = parent;
    }
}

bool XmlDocument::Impl::AddElement(std::string_view utf8Name) {
    const std::u16string name = Utf8ToUtf16(utf8Name);
    if (!IsWritableElementName(name))
        return false;
    const std::u16string element = u"<" + name + u"/>";
    if (element.size() > ElementRecord::kMaxStartTagLength)
        return false;
    const uint32_t level = (parentPos != 0 ? index[parentPos].Level() : 0) + 1;
    if (level > ElementRecord::kMaxLevel)
        return false;

    // Work out where the element goes and what text goes in, before anything changes.
    std::u16string insert;
    size_t pos = 0;
    size_t removeCount = 0;
    size_t elementOffset = 0;  // of the new start tag within insert
    bool splitParent = false;
    if (mainPos != 0) {
        // Land at the start of the next line, but never past the parent's content.
        pos = static_cast<size_t>(index[mainPos].End());
        size_t limit = text.size();
        if (parentPos != 0) {
            limit = static_cast<size_t>(index[parentPos].End()) - index[parentPos].EndTagLength();
        }
        size_t next = pos;
        while (next < limit && xml::IsXmlSpace(text[next]))
            ++next;
        if (next < text.size() && text[next] == u'<')
            pos = next;
        insert = element + std::u16string(kLineEnd);
    } else if (parentPos != 0) {
        const ElementRecord& parent = index[parentPos];
        const size_t startTagEnd = static_cast<size_t>(parent.start) + parent.StartTagLength();
        if (parent.EndTagLength() == 0 && !parent.HasFlag(ElementRecord::kNotEnded) &&
            text[startTagEnd - 2] == u'/') {
            // <p/> becomes <p> CR LF <name/> CR LF </p>: the '/' is replaced.
            const std::u16string_view parentName = TagName(parentPos);
            if (parentName.size() + 3 > ElementRecord::kMaxEndTagLength)
                return false;
            splitParent = true;
            pos = startTagEnd - 2;
            removeCount = 1;
            insert = u">" + std::u16string(kLineEnd);
            elementOffset = insert.size();
            insert += element + std::u16string(kLineEnd) + u"</" + std::u16string(parentName);
        } else if (parent.EndTagLength() != 0 &&
                   static_cast<uint32_t>(parent.length) ==
                       parent.StartTagLength() + parent.EndTagLength()) {
            pos = startTagEnd;
            insert = std::u16string(kLineEnd) + element + std::u16string(kLineEnd);
            elementOffset = kLineEnd.size();
        } else {
            pos = static_cast<size_t>(parent.End()) - parent.EndTagLength();
            insert = element + std::u16string(kLineEnd);
        }
    } else {
        pos = text.size();
        insert = element + std::u16string(kLineEnd);
    }
    if (text.size() - removeCount + insert.size() > kMaxTextLength)
        return false;

    const int32_t record = index.Append();
    if (record == 0)
        return false;
    Splice(pos, removeCount, insert);
    const auto delta = static_cast<int32_t>(insert.size() - removeCount);

    ElementRecord& added = index[record];
    added.start = static_cast<int32_t>(pos + elementOffset);
    added.length = static_cast<int32_t>(element.size());
    added.SetTagLengths(static_cast<uint32_t>(element.size()), 0);
    added.SetLevel(level);
    if (mainPos != 0) {
        index.LinkAfter(mainPos, record);
    } else {
        index.LinkLastChild(parentPos, record);
    }
    if (splitParent) {
        ElementRecord& parent = index[parentPos];
        const uint32_t startTag = parent.StartTagLength() - 1;
        parent.SetTagLengths(startTag, static_cast<uint32_t>(TagName(parentPos).size() + 3));
    }
    GrowAndShift(record, delta);

    mainPos = record;
    childPos = 0;
    nodeKind = 1;
    return true;
}

bool XmlDocument::Impl::SetAttribute(std::string_view utf8Name, std::string_view utf8Value) {
    if (mainPos == 0 || nodeKind != 1)
        return false;
    const std::u16string name = Utf8ToUtf16(utf8Name);
    if (!IsWritableAttributeName(name))
        return false;
    const std::u16string escaped = xml::EscapeAttribute(Utf8ToUtf16(utf8Value));
    const std::u16string quoted = u"\"" + escaped + u"\"";

    const ElementRecord& element = index[mainPos];
    const std::u16string_view view = text;
    const size_t tagStart = static_cast<size_t>(element.start);
    const size_t tagLength = element.StartTagLength();
    const size_t nameStart = tagStart + 1;
    // The scan ends before "/>" of an empty element, so that neither an unquoted value nor a
    // new attribute can come between its '/' and '>'.
    const bool wasEmpty = view[tagStart + tagLength - 2] == u'/';
    const size_t tagEnd = tagStart + tagLength - (wasEmpty ? 2 : 1);
    xml::AttributeScanner scanner(view, nameStart + xml::TagNameLength(view, nameStart), tagEnd);
    const xml::WantedName wanted = Wanted(utf8Name);
    xml::AttributeSpan span;
    bool found = false;
    while (scanner.Next(span)) {
        if (wanted.Matches(view.substr(span.nameStart, span.nameEnd - span.nameStart))) {
            found = true;
            break;
        }
    }

    size_t pos;
    size_t removeCount = 0;
    std::u16string insert;
    if (found && span.hasValue) {
        pos = span.valueStart;
        removeCount = span.valueEnd - span.valueStart;
        insert = quoted;
    } else if (found) {
        pos = span.nameEnd;
        insert = u"=" + quoted;
    } else {
        pos = scanner.LastEnd();
        insert = u" " + name + u"=" + quoted;
    }
    std::u16string edited(view.substr(tagStart, tagLength));
    edited.replace(pos - tagStart, removeCount, insert);
    if (!KeepsItsShape(edited, wasEmpty))
        return false;

    const int64_t delta = static_cast<int64_t>(insert.size()) - static_cast<int64_t>(removeCount);
    const int64_t startTag = static_cast<int64_t>(element.StartTagLength()) + delta;
    if (startTag > ElementRecord::kMaxStartTagLength)
        return false;
    if (static_cast<int64_t>(text.size()) + delta > static_cast<int64_t>(kMaxTextLength)) {
        return false;
    }

    Splice(pos, removeCount, insert);
    ElementRecord& changed = index[mainPos];
    changed.SetTagLengths(static_cast<uint32_t>(startTag), changed.EndTagLength());
    changed.length += static_cast<int32_t>(delta);
    if (changed.firstChild != 0) {
        for (int32_t c = changed.firstChild; c != 0; c = index[c].nextSibling) {
            ShiftSubtree(c, static_cast<int32_t>(delta));
        }
    }
    GrowAndShift(mainPos, static_cast<int32_t>(delta));
    return true;
}

}  // namespace zephyl
