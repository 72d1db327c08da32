// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/ElementIndex.h"

#include <algorithm>
#include <limits>

namespace zephyl::xml {

ElementIndex::ElementIndex() {
    Reset(0);
}

void ElementIndex::Reset(int32_t textLength) {
    m_pages.clear();
    m_pageSizes.clear();
    m_capacity = 0;
    m_count = 0;
    Grow(textLength / 64 + 8);
    m_count = 1;
    ElementRecord& document = (*this)[0];
    document = ElementRecord{};
    document.length = textLength;
}

void ElementIndex::Grow(int32_t capacity) {
    // Fill the last page up first, then add pages; a partly used page is reallocated at its new
    // size, which moves only that page's records.
    while (m_capacity < capacity) {
        const int32_t lastPage = static_cast<int32_t>(m_pages.size()) - 1;
        if (lastPage >= 0 && m_pageSizes[lastPage] < kPageSize) {
            const int32_t oldSize = m_pageSizes[lastPage];
            const int32_t newSize = std::min(kPageSize, oldSize + (capacity - m_capacity));
            auto page = std::make_unique<ElementRecord[]>(newSize);
            std::copy(m_pages[lastPage].get(), m_pages[lastPage].get() + oldSize, page.get());
            m_pages[lastPage] = std::move(page);
            m_pageSizes[lastPage] = newSize;
            m_capacity += newSize - oldSize;
        } else {
            const int32_t size = std::min(kPageSize, capacity - m_capacity);
            m_pages.push_back(std::make_unique<ElementRecord[]>(size));
            m_pageSizes.push_back(size);
            m_capacity += size;
        }
    }
}

int32_t ElementIndex::Append() {
    if (m_count == std::numeric_limits<int32_t>::max())
        return 0;
    if (m_count >= m_capacity) {
        const int64_t wanted = static_cast<int64_t>(m_capacity) + std::max(m_capacity / 2, 1);
        Grow(static_cast<int32_t>(std::min<int64_t>(wanted, std::numeric_limits<int32_t>::max())));
    }
    const int32_t n = m_count++;
    (*this)[n] = ElementRecord{};
    return n;
}

void ElementIndex::LinkLastChild(int32_t parent, int32_t child) {
    ElementRecord& p = (*this)[parent];
    ElementRecord& c = (*this)[child];
    c.parent = parent;
    c.nextSibling = 0;
    if (p.firstChild == 0) {
        p.firstChild = child;
        c.prevSibling = child;
        c.SetFlag(ElementRecord::kFirstChild);
        return;
    }
    ElementRecord& first = (*this)[p.firstChild];
    const int32_t last = first.prevSibling;
    (*this)[last].nextSibling = child;
    c.prevSibling = last;
    c.ClearFlag(ElementRecord::kFirstChild);
    first.prevSibling = child;
}

void ElementIndex::LinkAfter(int32_t after, int32_t element) {
    ElementRecord& a = (*this)[after];
    ElementRecord& e = (*this)[element];
    e.parent = a.parent;
    e.ClearFlag(ElementRecord::kFirstChild);
    e.prevSibling = after;
    e.nextSibling = a.nextSibling;
    if (a.nextSibling != 0) {
        (*this)[a.nextSibling].prevSibling = element;
    } else {
        // The new element is the last child: the first child's back link points at it.
        ElementRecord& p = (*this)[a.parent];
        (*this)[p.firstChild].prevSibling = element;
    }
    a.nextSibling = element;
}

}  // namespace zephyl::xml
