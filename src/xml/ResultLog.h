// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace zephyl::xml {

/// Diagnostic records of the last load, save or indexing, itself written as XML: one empty
/// element per event, one after another. It stops taking records once it is 1,000 units long,
/// so a badly broken file cannot make it grow without bound.
class ResultLog {
public:
    static constexpr size_t kLimit = 1000;

    struct Attribute {
        std::string_view name;
        std::u16string value;
    };

    void Clear() { m_text.clear(); }
    void Add(std::string_view record, std::initializer_list<Attribute> attributes = {});

    /// Attribute value helpers.
    static std::u16string Number(int64_t value);
    static std::u16string FromUtf8(std::string_view text);

    const std::u16string& Text() const { return m_text; }

private:
    std::u16string m_text;
};

}  // namespace zephyl::xml
