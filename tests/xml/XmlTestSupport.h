// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

#include "xml/XmlDocument.h"

namespace zephyl::test {

/// The element structure below the cursor's level, e.g. "a(b,c(d))"; with attribute, each
/// element also shows that attribute's value ("b[v=1]"). Leaves the cursor after the last
/// element of the level.
std::string Outline(XmlDocument& doc, const std::string& attribute = {});

/// Whether the log holds a record of that name.
bool LogHas(const XmlDocument& doc, const std::string& record);

}  // namespace zephyl::test
