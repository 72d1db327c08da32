// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlIndexer.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "xml/FindUnit.h"
#include "xml/XmlScan.h"

namespace zephyl::xml {

namespace {

constexpr size_t kNone = std::u16string_view::npos;

class Indexer {
public:
    Indexer(std::u16string_view text, ElementIndex& index, ResultLog& log, bool ignoreCase)
        : m_text(text), m_index(index), m_log(log), m_ignoreCase(ignoreCase) {}

    bool Run();

private:
    struct OpenElement {
        int32_t record;
        int32_t nameLength;
    };

    size_t StartTag(size_t lt);
    size_t EndTag(size_t lt);
    size_t Exclamation(size_t lt);
    size_t DocumentType(size_t lt);
    void Finish();

    int FindOpen(std::u16string_view name);
    void CloseAbove(int keep, size_t cutOffset);
    void Pop();
    std::u16string_view OpenName(const OpenElement& open) const {
        return m_text.substr(m_index[open.record].start + 1, open.nameLength);
    }
    std::u16string MapKey(std::u16string_view name) const;

    void Error(std::string_view record, size_t offset);
    size_t Unterminated(std::string_view type, size_t offset);

    std::u16string_view m_text;
    ElementIndex& m_index;
    ResultLog& m_log;
    bool m_ignoreCase;
    bool m_error = false;
    std::vector<OpenElement> m_stack;
    // Built only once an end tag fails to match the innermost open element, so that a badly
    // nested file cannot make each end tag search a deep stack.
    bool m_useMap = false;
    std::unordered_map<std::u16string, std::vector<int>> m_openByName;
};

void Indexer::Error(std::string_view record, size_t offset) {
    m_error = true;
    m_log.Add(record, {{"offset", ResultLog::Number(static_cast<int64_t>(offset))}});
}

size_t Indexer::Unterminated(std::string_view type, size_t offset) {
    m_error = true;
    m_log.Add("unterminated_tag_syntax",
              {{"type", ResultLog::FromUtf8(type)},
               {"offset", ResultLog::Number(static_cast<int64_t>(offset))}});
    return m_text.size();
}

bool Indexer::Run() {
    m_index.Reset(static_cast<int32_t>(m_text.size()));
    const size_t n = m_text.size();
    size_t pos = 0;
    while (pos < n) {
        const size_t lt = FindUnit(m_text, pos, n, u'<');
        if (lt == n)
            break;
        if (lt + 1 >= n) {
            pos = Unterminated("tag", lt);
            break;
        }
        const char16_t next = m_text[lt + 1];
        if (next == u'/') {
            pos = EndTag(lt);
        } else if (next == u'?') {
            const size_t close = m_text.find(u"?>", lt + 2);
            pos = close == kNone ? Unterminated("processing_instruction", lt) : close + 2;
        } else if (next == u'!') {
            pos = Exclamation(lt);
        } else if (IsStartTagFirst(next)) {
            pos = StartTag(lt);
        } else {
            Error("first_tag_syntax", lt);
            pos = lt + 1;
        }
    }
    Finish();
    return !m_error;
}

size_t Indexer::Exclamation(size_t lt) {
    const size_t n = m_text.size();
    if (lt + 2 >= n)
        return Unterminated("tag", lt);
    switch (m_text[lt + 2]) {
        case u'-': {
            if (lt + 3 >= n)
                return Unterminated("tag", lt);
            if (m_text[lt + 3] != u'-') {
                Error("comment_tag_syntax", lt);
                return lt + 1;
            }
            const size_t close = m_text.find(u"-->", lt + 4);
            return close == kNone ? Unterminated("comment", lt) : close + 3;
        }
        case u'[': {
            if (lt + 3 >= n)
                return Unterminated("tag", lt);
            if (m_text[lt + 3] != u'C') {
                Error("cdata_section_syntax", lt);
                return lt + 1;
            }
            const size_t close = m_text.find(u"]]>", lt + 4);
            return close == kNone ? Unterminated("cdata_section", lt) : close + 3;
        }
        case u'D':
            return DocumentType(lt);
        default:
            Error("exclamation_tag_syntax", lt);
            return lt + 1;
    }
}

size_t Indexer::DocumentType(size_t lt) {
    const size_t n = m_text.size();
    bool inSubset = false;
    size_t i = lt + 3;
    while (i < n) {
        const char16_t c = m_text[i];
        if (c == u'"' || c == u'\'') {
            const size_t close = m_text.find(c, i + 1);
            if (close == kNone)
                break;
            i = close + 1;
        } else if (c == u'[') {
            inSubset = true;
            ++i;
        } else if (c == u']') {
            inSubset = false;
            ++i;
        } else if (c == u'>' && !inSubset) {
            return i + 1;
        } else if (c == u'<' && inSubset) {
            if (i + 3 >= n)
                break;
            if (m_text.compare(i, 4, u"<!--") == 0) {
                const size_t close = m_text.find(u"-->", i + 4);
                if (close == kNone)
                    break;
                i = close + 3;
                continue;
            }
            const char16_t kind = m_text[i + 2];
            if (m_text[i + 1] != u'!' || (kind != u'E' && kind != u'A' && kind != u'N')) {
                // Leave the document type here; the main scan goes on from this '<'.
                Error("doctype_tag_syntax", i);
                return i;
            }
            // A markup declaration runs to its '>' outside quoted literals.
            size_t k = i + 3;
            bool closed = false;
            while (k < n) {
                const char16_t d = m_text[k];
                if (d == u'"' || d == u'\'') {
                    const size_t close = m_text.find(d, k + 1);
                    if (close == kNone)
                        break;
                    k = close + 1;
                } else if (d == u'>') {
                    closed = true;
                    break;
                } else {
                    ++k;
                }
            }
            if (!closed)
                break;
            i = k + 1;
        } else {
            ++i;
        }
    }
    return Unterminated("document_type", lt);
}

size_t Indexer::StartTag(size_t lt) {
    const size_t n = m_text.size();
    size_t i = FindUnit(m_text, lt + 1, n, u'>', u'"', u'\'');
    while (i < n && m_text[i] != u'>') {
        const size_t close = FindUnit(m_text, i + 1, n, m_text[i]);
        if (close == n)
            return Unterminated("start_tag", lt);
        i = FindUnit(m_text, close + 1, n, u'>', u'"', u'\'');
    }
    if (i >= n)
        return Unterminated("start_tag", lt);
    const size_t tagLength = i - lt + 1;
    if (tagLength > ElementRecord::kMaxStartTagLength) {
        m_error = true;
        m_log.Add("tag_length_limit", {{"type", u"start_tag"},
                                       {"offset", ResultLog::Number(static_cast<int64_t>(lt))}});
        return i + 1;
    }
    if (m_stack.size() + 1 > ElementRecord::kMaxLevel) {
        Error("nesting_limit", lt);
        return i + 1;
    }
    const int32_t record = m_index.Append();
    if (record == 0) {
        Error("element_limit", lt);
        return n;
    }
    ElementRecord& element = m_index[record];
    element.start = static_cast<int32_t>(lt);
    element.length = static_cast<int32_t>(tagLength);
    element.SetTagLengths(static_cast<uint32_t>(tagLength), 0);
    m_index.LinkLastChild(m_stack.empty() ? 0 : m_stack.back().record, record);
    const bool empty = m_text[i - 1] == u'/';
    if (!empty) {
        const auto nameLength = static_cast<int32_t>(TagNameLength(m_text, lt + 1));
        m_stack.push_back({record, nameLength});
        if (m_useMap) {
            m_openByName[MapKey(OpenName(m_stack.back()))].push_back(
                static_cast<int>(m_stack.size() - 1));
        }
    }
    return i + 1;
}

size_t Indexer::EndTag(size_t lt) {
    const size_t gt = FindUnit(m_text, lt + 2, m_text.size(), u'>');
    if (gt == m_text.size())
        return Unterminated("end_tag", lt);
    const size_t tagLength = gt - lt + 1;
    const std::u16string_view name = m_text.substr(lt + 2, TagNameLength(m_text, lt + 2));
    if (tagLength > ElementRecord::kMaxEndTagLength) {
        // Its length has no room in the record: the tag is passed over and its element, if
        // any, is left open and cut back later.
        m_error = true;
        m_log.Add("tag_length_limit",
                  {{"type", u"end_tag"}, {"offset", ResultLog::Number(static_cast<int64_t>(lt))}});
        return gt + 1;
    }
    const int found = FindOpen(name);
    if (found < 0) {
        m_error = true;
        m_log.Add("lone_end_tag", {{"tagname", std::u16string(name)},
                                   {"offset", ResultLog::Number(static_cast<int64_t>(lt))}});
        return gt + 1;
    }
    CloseAbove(found, lt);
    ElementRecord& element = m_index[m_stack.back().record];
    element.length = static_cast<int32_t>(gt + 1) - element.start;
    element.SetTagLengths(element.StartTagLength(), static_cast<uint32_t>(tagLength));
    Pop();
    return gt + 1;
}

std::u16string Indexer::MapKey(std::u16string_view name) const {
    std::u16string key(name);
    if (m_ignoreCase) {
        for (char16_t& c : key)
            c = AsciiLower(c);
    }
    return key;
}

int Indexer::FindOpen(std::u16string_view name) {
    if (m_stack.empty())
        return -1;
    if (NamesEqual(OpenName(m_stack.back()), name, m_ignoreCase)) {
        return static_cast<int>(m_stack.size() - 1);
    }
    if (!m_useMap) {
        m_useMap = true;
        for (size_t i = 0; i < m_stack.size(); ++i) {
            m_openByName[MapKey(OpenName(m_stack[i]))].push_back(static_cast<int>(i));
        }
    }
    const auto it = m_openByName.find(MapKey(name));
    if (it == m_openByName.end() || it->second.empty())
        return -1;
    return it->second.back();
}

void Indexer::Pop() {
    if (m_useMap) {
        auto it = m_openByName.find(MapKey(OpenName(m_stack.back())));
        if (it != m_openByName.end() && !it->second.empty())
            it->second.pop_back();
    }
    m_stack.pop_back();
}

void Indexer::CloseAbove(int keep, size_t cutOffset) {
    const size_t first = static_cast<size_t>(keep + 1);
    if (first >= m_stack.size())
        return;
    m_error = true;
    for (size_t i = m_stack.size(); i-- > first;) {
        ElementRecord& element = m_index[m_stack[i].record];
        m_log.Add("unended_start_tag",
                  {{"tagname", std::u16string(OpenName(m_stack[i]))},
                   {"offset", ResultLog::Number(element.start)},
                   {"offset2", ResultLog::Number(static_cast<int64_t>(cutOffset))}});
        element.SetFlag(ElementRecord::kNotEnded);
        element.length = static_cast<int32_t>(element.StartTagLength());
        element.SetTagLengths(element.StartTagLength(), 0);
    }
    // The cut elements hold only their start tags now, so their children follow them as
    // siblings inside the element that stays open. Each of them was the last child of the one
    // before, so the flattened list is their child lists joined in order.
    const int32_t target = keep >= 0 ? m_stack[keep].record : 0;
    int32_t last = m_stack[first].record;
    for (size_t i = first; i < m_stack.size(); ++i) {
        ElementRecord& cut = m_index[m_stack[i].record];
        const int32_t child = cut.firstChild;
        if (child == 0)
            continue;
        for (int32_t c = child; c != 0; c = m_index[c].nextSibling) {
            m_index[c].parent = target;
            last = c;
        }
        m_index[child].prevSibling = m_stack[i].record;
        m_index[child].ClearFlag(ElementRecord::kFirstChild);
        cut.nextSibling = child;
        cut.firstChild = 0;
    }
    m_index[m_index[target].firstChild].prevSibling = last;
    while (m_stack.size() > first)
        Pop();
}

void Indexer::Finish() {
    CloseAbove(-1, m_text.size());
    ElementRecord& document = m_index[0];
    document.length = static_cast<int32_t>(m_text.size());
    if (document.firstChild == 0) {
        m_error = true;
        m_log.Add("no_root_element");
    } else if (m_index[document.firstChild].nextSibling != 0) {
        m_error = true;
        m_log.Add("root_has_sibling");
    }
    // A parent always comes before its children in the array, so one forward pass sets every
    // level.
    for (int32_t r = 1; r < m_index.Count(); ++r) {
        ElementRecord& element = m_index[r];
        element.SetLevel(m_index[element.parent].Level() + 1);
    }
    if (m_error)
        document.SetFlag(ElementRecord::kIllFormed);
}

}  // namespace

bool IndexText(std::u16string_view text, ElementIndex& index, ResultLog& log, bool ignoreCase) {
    return Indexer(text, index, log, ignoreCase).Run();
}

}  // namespace zephyl::xml
