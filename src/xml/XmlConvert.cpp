// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "xml/Utf.h"

namespace zephyl::xml {

namespace {

/// An iconv descriptor that closes itself.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    enum class Stop { Done, Invalid, Incomplete };

    /// Converts as much of the input as it can, appending to out; stops at the end of the input
    /// or at the first sequence that cannot be converted (in is then left on it).
    Stop Run(const char*& in, size_t& inLeft, std::string& out) {
        char buffer[4096];
        for (;;) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            char* inPtr = const_cast<char*>(in);
            const size_t result =
                iconv(m_cd, in ? &inPtr : nullptr, in ? &inLeft : nullptr, &outPtr, &outLeft);
            const int error = errno;
            if (in)
                in = inPtr;
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (result != static_cast<size_t>(-1))
                return Stop::Done;
            if (error == E2BIG)
                continue;
            if (error == EINVAL)
                return Stop::Incomplete;
            return Stop::Invalid;
        }
    }

    /// Writes whatever a stateful encoding needs to return to its initial state.
    void Flush(std::string& out) {
        const char* none = nullptr;
        size_t zero = 0;
        Run(none, zero, out);
    }

private:
    iconv_t m_cd;
};

std::u16string Latin1ToUtf16(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<unsigned char>(bytes[i]);
    return out;
}

std::u16string LittleEndianUnits(const std::string& bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
}

bool DecodeWithIconv(std::string_view bytes, const char* name, std::u16string& text) {
    Converter converter("UTF-16LE", name);
    if (!converter.Ok())
        return false;
    std::string out;
    out.reserve(bytes.size() * 2);
    const char* in = bytes.data();
    size_t inLeft = bytes.size();
    static constexpr char kReplacement[] = {'\xFD', '\xFF'};
    while (inLeft > 0) {
        const Converter::Stop stop = converter.Run(in, inLeft, out);
        if (stop == Converter::Stop::Done)
            break;
        out.append(kReplacement, 2);
        if (stop == Converter::Stop::Incomplete)
            break;
        ++in;
        --inLeft;
    }
    converter.Flush(out);
    text = LittleEndianUnits(out);
    return true;
}

bool EncodeWithIconv(std::u16string_view text, const char* name, std::string& bytes, bool& lossy) {
    Converter converter(name, "UTF-16LE");
    if (!converter.Ok())
        return false;
    std::string units;
    units.resize(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        units[2 * i] = static_cast<char>(text[i] & 0xFF);
        units[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    const char* in = units.data();
    size_t inLeft = units.size();
    while (inLeft > 0) {
        const Converter::Stop stop = converter.Run(in, inLeft, bytes);
        if (stop == Converter::Stop::Done)
            break;
        lossy = true;
        // The default character goes through the converter too, so that a stateful encoding
        // stays in step.
        const char* question = "?\0";
        size_t questionLeft = 2;
        converter.Run(question, questionLeft, bytes);
        if (stop == Converter::Stop::Incomplete)
            break;
        // Skip the unit, or the whole surrogate pair when it is one.
        size_t skip = 2;
        const auto lead = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                                (static_cast<unsigned char>(in[1]) << 8));
        if (lead >= 0xD800 && lead <= 0xDBFF && inLeft >= 4) {
            const auto trail = static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                                     (static_cast<unsigned char>(in[3]) << 8));
            if (trail >= 0xDC00 && trail <= 0xDFFF)
                skip = 4;
        }
        in += skip;
        inLeft -= skip;
    }
    converter.Flush(bytes);
    return true;
}

}  // namespace

bool LooksLikeUtf8(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t follow;
        if ((lead & 0xE0) == 0xC0) {
            follow = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            follow = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            follow = 3;
        } else {
            return false;
        }
        if (size - i <= follow)
            return false;
        for (size_t k = 1; k <= follow; ++k) {
            if ((data[i + k] & 0x80) == 0)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

std::u16string DecodeBytes(std::string_view bytes, int codePage) {
    // Wide code pages cannot describe bytes that were read as an 8-bit file (their zero bytes
    // are gone by now): such a declaration is a mistake, and UTF-8 is the best reading.
    if (codePage == kCodePageUtf8 || IsWideCodePage(codePage))
        return Utf8ToUtf16(bytes);
    if (codePage == 28591)
        return Latin1ToUtf16(bytes);
    std::u16string text;
    const char* name = IconvName(codePage);
    if (name && DecodeWithIconv(bytes, name, text))
        return text;
    if (DecodeWithIconv(bytes, IconvName(kCodePageDefault8Bit), text))
        return text;
    return Latin1ToUtf16(bytes);
}

std::string EncodeText(std::u16string_view text, int codePage, bool& lossy) {
    if (codePage == kCodePageUtf8)
        return Utf16ToUtf8(text);
    std::string bytes;
    const char* name = IconvName(codePage);
    if (name && EncodeWithIconv(text, name, bytes, lossy))
        return bytes;
    bytes.clear();
    if (EncodeWithIconv(text, IconvName(kCodePageDefault8Bit), bytes, lossy))
        return bytes;
    // No converter at all: keep the text rather than lose it.
    return Utf16ToUtf8(text);
}

}  // namespace zephyl::xml
