// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace zephyl::xml {

/// One element's place in the document text. Sizes are packed so that a large document costs
/// little beside its text; ElementIndex refuses values that do not fit.
struct ElementRecord {
    static constexpr uint32_t kMaxStartTagLength = (1u << 22) - 1;
    static constexpr uint32_t kMaxEndTagLength = (1u << 10) - 1;
    static constexpr uint32_t kMaxLevel = 0xFFFF;

    /// Record flags (high half of the level word).
    static constexpr uint32_t kFirstChild = 0x0001;
    static constexpr uint32_t kNotEnded = 0x0002;
    static constexpr uint32_t kIllFormed = 0x0004;  // record 0 only

    int32_t start = 0;
    int32_t length = 0;
    uint32_t tagLengths = 0;  // start-tag length (low 22 bits), end-tag length (high 10 bits)
    uint32_t levelFlags = 0;  // level (low 16 bits), flags (high 16 bits)
    int32_t parent = 0;
    int32_t firstChild = 0;
    int32_t nextSibling = 0;
    int32_t prevSibling = 0;  // for a first child: the last child of the same parent

    uint32_t StartTagLength() const { return tagLengths & kMaxStartTagLength; }
    uint32_t EndTagLength() const { return tagLengths >> 22; }
    void SetTagLengths(uint32_t startTag, uint32_t endTag) {
        tagLengths = (startTag & kMaxStartTagLength) | ((endTag & kMaxEndTagLength) << 22);
    }
    uint32_t Level() const { return levelFlags & 0xFFFF; }
    void SetLevel(uint32_t level) { levelFlags = (levelFlags & 0xFFFF0000u) | (level & 0xFFFF); }
    uint32_t Flags() const { return levelFlags >> 16; }
    bool HasFlag(uint32_t flag) const { return (Flags() & flag) != 0; }
    void SetFlag(uint32_t flag) { levelFlags |= (flag & 0xFFFF) << 16; }
    void ClearFlag(uint32_t flag) { levelFlags &= ~((flag & 0xFFFF) << 16); }
    int32_t End() const { return start + length; }
};

/// The growable record array, kept in pages of 65,536 records so that growth never moves the
/// records already written. Record 0 stands for the whole document.
class ElementIndex {
public:
    static constexpr int32_t kPageBits = 16;
    static constexpr int32_t kPageSize = 1 << kPageBits;

    ElementIndex();

    /// Drops every record and sizes the array for a text of textLength units; record 0 then
    /// spans the whole text.
    void Reset(int32_t textLength);

    ElementRecord& operator[](int32_t n) { return m_pages[n >> kPageBits][n & (kPageSize - 1)]; }
    const ElementRecord& operator[](int32_t n) const {
        return m_pages[n >> kPageBits][n & (kPageSize - 1)];
    }

    /// Records in use, record 0 included.
    int32_t Count() const { return m_count; }
    /// Records the array can hold before it grows.
    int32_t Capacity() const { return m_capacity; }

    /// A fresh zeroed record; 0 when the array cannot grow any more.
    int32_t Append();

    /// Links child as the last child of parent.
    void LinkLastChild(int32_t parent, int32_t child);
    /// Links element as the next sibling of after (same parent).
    void LinkAfter(int32_t after, int32_t element);

private:
    void Grow(int32_t capacity);

    std::vector<std::unique_ptr<ElementRecord[]>> m_pages;
    std::vector<int32_t> m_pageSizes;
    int32_t m_capacity = 0;
    int32_t m_count = 0;
};

}  // namespace zephyl::xml
