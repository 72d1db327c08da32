// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xml/ElementIndex.h"
#include "xml/ResultLog.h"
#include "xml/XmlDocument.h"

namespace zephyl {

namespace xml {

/// A name asked for by a caller, prepared once for comparing with many names of the text.
/// Names are nearly always ASCII, and those are compared without converting them.
class WantedName {
public:
    WantedName(std::string_view utf8, bool ignoreCase);

    bool Matches(std::u16string_view textName) const;

private:
    std::string_view m_utf8;
    std::u16string m_utf16;  // only for names beyond ASCII
    bool m_ascii = true;
    bool m_ignoreCase;
};

}  // namespace xml

/// The state behind XmlDocument; shared by the files that implement its parts (cursor and
/// reading, editing, files).
struct XmlDocument::Impl {
    std::u16string text;
    xml::ElementIndex index;
    xml::ResultLog log;
    int32_t parentPos = 0;
    int32_t mainPos = 0;
    int32_t childPos = 0;
    int32_t nodeKind = 0;
    int flags = 0;

    bool IgnoreCase() const { return (flags & kFlagIgnoreCase) != 0; }
    void ResetCursor() { parentPos = mainPos = childPos = nodeKind = 0; }

    /// Indexes the current text and resets the cursor; returns whether it is well-formed.
    bool Reindex();

    /// The tag name of an element record.
    std::u16string_view TagName(int32_t record) const;
    xml::WantedName Wanted(std::string_view name) const { return {name, IgnoreCase()}; }

    /// Readers ask one element for many attributes in a row; its attributes are found once and
    /// kept until the cursor moves to another element or the text changes.
    struct CachedAttribute {
        uint32_t nameStart;
        uint32_t nameLength;
        uint32_t valueStart;
        uint32_t valueLength;
        bool hasValue;
    };
    mutable std::vector<CachedAttribute> attributes;
    mutable int32_t attributesOf = 0;
    mutable uint64_t attributesGeneration = 0;
    uint64_t generation = 1;  // counts changes of the text
    const std::vector<CachedAttribute>& AttributesOfCurrent() const;

    // Editing (XmlEdit.cpp).
    bool AddElement(std::string_view name);
    bool SetAttribute(std::string_view name, std::string_view value);
    /// Replaces part of the text, growing its capacity the way the document always does.
    void Splice(size_t pos, size_t removeCount, std::u16string_view insert);
    /// After an edit of delta units at or before the end of record `from`: moves every record
    /// that follows it in the document and lengthens its ancestors.
    void GrowAndShift(int32_t from, int32_t delta);
    void ShiftSubtree(int32_t top, int32_t delta);

    // Files (XmlFile.cpp).
    bool Load(const std::string& path);
    bool Save(const std::string& path);
    void FileError(int error);
};

}  // namespace zephyl
