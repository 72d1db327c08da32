// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zephyl {

/// The one reader and writer of every XML file of the program.
///
/// Not a node tree: the whole document is kept as one UTF-16 text with an index of element
/// positions beside it; edits change the text in place and shift the index. Readers walk it with
/// a cursor (FindElement / EnterElement / LeaveElement) and read attributes as text; writers
/// start from kDeclaration, add empty elements and set their attributes.
///
/// Names and values cross this interface as UTF-8; the text is held as UTF-16 so that offsets in
/// the result log count UTF-16 units.
class XmlDocument {
public:
    /// What every writer starts from.
    static constexpr std::string_view kDeclaration =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

    /// Document flags.
    static constexpr int kFlagUtf16Le = 0x01;
    static constexpr int kFlagUtf8Bom = 0x04;
    static constexpr int kFlagIgnoreCase = 0x08;
    static constexpr int kFlagUtf16Be = 0x80;

    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    /// Replaces the text, clears the log, rebuilds the index and resets the cursor.
    /// Returns whether the text is well-formed.
    bool SetText(std::string_view utf8Text);
    bool SetText(std::u16string_view text);

    /// Reads and decodes a file, then indexes it; true only when the file was read and is
    /// well-formed. Never throws, whatever the bytes.
    bool Load(const std::string& path);

    /// Encodes and writes the text; true when the file was written whole.
    bool Save(const std::string& path);

    bool FindElement(std::string_view name);
    /// Like FindElement, but takes the next sibling element whatever its name.
    bool FindAnyElement();
    /// The tag name of the current element; empty when there is none.
    std::string GetTagName() const;
    bool EnterElement();
    bool LeaveElement();
    /// Puts the cursor back at the top level with no current element, as after SetText.
    void ResetPosition();

    /// The attribute of the current element with entities decoded; empty when absent.
    std::string GetAttribute(std::string_view name) const;

    bool AddElement(std::string_view name);
    bool SetAttribute(std::string_view name, std::string_view value);
    bool SetAttribute(std::string_view name, int value);

    const std::u16string& Text() const;
    std::string TextUtf8() const;
    std::string ResultLog() const;
    int Flags() const;
    void SetFlags(int flags);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zephyl
