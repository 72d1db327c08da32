// SPDX-License-Identifier: GPL-2.0-or-later
#include "XmlTestSupport.h"

namespace zephyl::test {

std::string Outline(XmlDocument& doc, const std::string& attribute) {
    std::string out;
    while (doc.FindAnyElement()) {
        if (!out.empty())
            out += ',';
        out += doc.GetTagName();
        if (!attribute.empty())
            out += "[" + attribute + "=" + doc.GetAttribute(attribute) + "]";
        if (doc.EnterElement()) {
            const std::string inner = Outline(doc, attribute);
            if (!inner.empty())
                out += "(" + inner + ")";
            doc.LeaveElement();
        }
    }
    return out;
}

bool LogHas(const XmlDocument& doc, const std::string& record) {
    const std::string log = doc.ResultLog();
    const std::string open = "<" + record;
    for (size_t at = log.find(open); at != std::string::npos; at = log.find(open, at + 1)) {
        const char after = at + open.size() < log.size() ? log[at + open.size()] : '\0';
        if (after == ' ' || after == '/')
            return true;
    }
    return false;
}

}  // namespace zephyl::test
