// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer target for the XML document: any bytes are loaded as a file, walked, edited, saved
// and read again. Build with clang:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src \
//       src/xml/*.cpp fuzz/xml_fuzz.cpp -o xml_fuzz
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "xml/XmlDocument.h"

namespace {

const std::string& ScratchPath() {
    static const std::string path = "/tmp/zephyl_xml_fuzz_" + std::to_string(getpid()) + ".xml";
    return path;
}

/// Names and one attribute of every element, walked from the top.
std::string Outline(zephyl::XmlDocument& doc, int depth) {
    std::string out;
    while (doc.FindAnyElement()) {
        out += doc.GetTagName() + "[" + doc.GetAttribute("v") + "]";
        if (depth < 64 && doc.EnterElement()) {
            out += "(" + Outline(doc, depth + 1) + ")";
            doc.LeaveElement();
        }
    }
    return out;
}

void Walk(zephyl::XmlDocument& doc, int depth) {
    int count = 0;
    while (doc.FindAnyElement() && ++count < 64) {
        doc.GetAttribute("v");
        doc.GetAttribute(doc.GetTagName());
        if (count % 3 == 0)
            doc.SetAttribute("v", "a&<\"'>");
        if (count % 5 == 0)
            doc.AddElement("n");
        if (depth < 32 && doc.EnterElement()) {
            Walk(doc, depth + 1);
            doc.LeaveElement();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string& path = ScratchPath();
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    zephyl::XmlDocument doc;
    const bool wellFormed = doc.Load(path);
    Walk(doc, 0);
    if (wellFormed) {
        // Edits keep a well-formed document well-formed, and its index in step with its text.
        zephyl::XmlDocument fresh;
        if (!fresh.SetText(doc.Text()))
            __builtin_trap();
        doc.ResetPosition();
        if (Outline(doc, 0) != Outline(fresh, 0))
            __builtin_trap();
    }
    doc.Save(path);
    zephyl::XmlDocument again;
    again.Load(path);
    zephyl::XmlDocument text;
    text.SetText(bytes);
    Walk(text, 0);
    return 0;
}
