// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/ResultLog.h"

#include "xml/Utf.h"
#include "xml/XmlEntities.h"

namespace zephyl::xml {

void ResultLog::Add(std::string_view record, std::initializer_list<Attribute> attributes) {
    if (m_text.size() >= kLimit)
        return;
    m_text.push_back(u'<');
    m_text.append(FromUtf8(record));
    for (const Attribute& attribute : attributes) {
        m_text.push_back(u' ');
        m_text.append(FromUtf8(attribute.name));
        m_text.append(u"=\"");
        m_text.append(EscapeAttribute(attribute.value));
        m_text.push_back(u'"');
    }
    m_text.append(u"/>");
}

std::u16string ResultLog::Number(int64_t value) {
    return FromUtf8(std::to_string(value));
}

std::u16string ResultLog::FromUtf8(std::string_view text) {
    return Utf8ToUtf16(text);
}

}  // namespace zephyl::xml
