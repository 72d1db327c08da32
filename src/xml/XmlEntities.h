// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zephyl::xml {

/// The code point of an HTML 4 named entity (apos included), matched with exact letter case;
/// 0 when the name is not one of them.
char32_t LookupEntity(std::u16string_view name);

/// How many named entities LookupEntity knows.
size_t NamedEntityCount();

/// Attribute value text with character and entity references replaced. A reference that is not
/// understood is kept as it stands, so nothing of the value is ever lost.
std::u16string DecodeEntities(std::u16string_view value);

/// Attribute value text with < & > ' " written as entities; everything else unchanged.
std::u16string EscapeAttribute(std::u16string_view value);

}  // namespace zephyl::xml
