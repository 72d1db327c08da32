// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/Json.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zephyl {

namespace {

const JsonValue kNullValue;
const std::string kEmptyString;
const std::vector<JsonValue> kNoItems;
const std::vector<JsonValue::Member> kNoMembers;

constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    bool ParseDocument(JsonValue& result, std::string& error) {
        SkipSpace();
        if (!ParseValue(result, 0)) {
            error = m_error + " at offset " + std::to_string(m_pos);
            return false;
        }
        SkipSpace();
        if (m_pos != m_text.size()) {
            error = "text after the value at offset " + std::to_string(m_pos);
            return false;
        }
        return true;
    }

private:
    bool Fail(const char* reason) {
        if (m_error.empty()) {
            m_error = reason;
        }
        return false;
    }

    void SkipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r')) {
            ++m_pos;
        }
    }

    bool Literal(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) {
            return Fail("unknown literal");
        }
        m_pos += word.size();
        return true;
    }

    bool ParseValue(JsonValue& out, int depth) {
        if (depth > kMaxDepth) {
            return Fail("nesting too deep");
        }
        if (m_pos >= m_text.size()) {
            return Fail("unexpected end");
        }
        const char c = m_text[m_pos];
        switch (c) {
            case '{':
                return ParseObject(out, depth);
            case '[':
                return ParseArray(out, depth);
            case '"': {
                std::string text;
                if (!ParseString(text)) {
                    return false;
                }
                out = JsonValue(std::move(text));
                return true;
            }
            case 't':
                out = JsonValue(true);
                return Literal("true");
            case 'f':
                out = JsonValue(false);
                return Literal("false");
            case 'n':
                out = JsonValue();
                return Literal("null");
            default:
                return ParseNumber(out);
        }
    }

    bool ParseNumber(JsonValue& out) {
        const std::size_t start = m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '-') {
            ++m_pos;
        }
        const std::size_t digitsStart = m_pos;
        while (m_pos < m_text.size() &&
               (std::isdigit(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '.' ||
                m_text[m_pos] == 'e' || m_text[m_pos] == 'E' || m_text[m_pos] == '+' ||
                m_text[m_pos] == '-')) {
            ++m_pos;
        }
        if (m_pos == digitsStart ||
            !std::isdigit(static_cast<unsigned char>(m_text[digitsStart]))) {
            return Fail("bad value");
        }
        const std::string number(m_text.substr(start, m_pos - start));
        char* end = nullptr;
        const double value = std::strtod(number.c_str(), &end);
        if (end != number.c_str() + number.size() || !std::isfinite(value)) {
            return Fail("bad number");
        }
        out = JsonValue(value);
        return true;
    }

    bool ParseHex4(unsigned& value) {
        if (m_pos + 4 > m_text.size()) {
            return Fail("short escape");
        }
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return Fail("bad escape");
            }
        }
        return true;
    }

    static void AppendUtf8(std::string& text, unsigned code) {
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (code >> 18));
            text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool ParseString(std::string& text) {
        ++m_pos;  // opening quote
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return Fail("control character in string");
            }
            if (c != '\\') {
                text += c;
                continue;
            }
            if (m_pos >= m_text.size()) {
                break;
            }
            const char escape = m_text[m_pos++];
            switch (escape) {
                case '"':
                case '\\':
                case '/':
                    text += escape;
                    break;
                case 'b':
                    text += '\b';
                    break;
                case 'f':
                    text += '\f';
                    break;
                case 'n':
                    text += '\n';
                    break;
                case 'r':
                    text += '\r';
                    break;
                case 't':
                    text += '\t';
                    break;
                case 'u': {
                    unsigned code = 0;
                    if (!ParseHex4(code)) {
                        return false;
                    }
                    if (code >= 0xD800 && code < 0xDC00 && m_pos + 1 < m_text.size() &&
                        m_text[m_pos] == '\\' && m_text[m_pos + 1] == 'u') {
                        m_pos += 2;
                        unsigned low = 0;
                        if (!ParseHex4(low)) {
                            return false;
                        }
                        if (low < 0xDC00 || low > 0xDFFF) {
                            return Fail("bad surrogate pair");
                        }
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xD800 && code <= 0xDFFF) {
                        return Fail("lone surrogate");
                    }
                    AppendUtf8(text, code);
                    break;
                }
                default:
                    return Fail("bad escape");
            }
        }
        return Fail("unterminated string");
    }

    bool ParseArray(JsonValue& out, int depth) {
        ++m_pos;
        out = JsonValue::MakeArray();
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == ']') {
            ++m_pos;
            return true;
        }
        while (true) {
            SkipSpace();
            JsonValue item;
            if (!ParseValue(item, depth + 1)) {
                return false;
            }
            out.Append(std::move(item));
            SkipSpace();
            if (m_pos >= m_text.size()) {
                return Fail("unterminated array");
            }
            if (m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_text[m_pos] == ']') {
                ++m_pos;
                return true;
            }
            return Fail("expected , or ]");
        }
    }

    bool ParseObject(JsonValue& out, int depth) {
        ++m_pos;
        out = JsonValue::MakeObject();
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == '}') {
            ++m_pos;
            return true;
        }
        while (true) {
            SkipSpace();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"') {
                return Fail("expected a member name");
            }
            std::string name;
            if (!ParseString(name)) {
                return false;
            }
            SkipSpace();
            if (m_pos >= m_text.size() || m_text[m_pos] != ':') {
                return Fail("expected :");
            }
            ++m_pos;
            SkipSpace();
            JsonValue value;
            if (!ParseValue(value, depth + 1)) {
                return false;
            }
            out.Set(name, std::move(value));
            SkipSpace();
            if (m_pos >= m_text.size()) {
                return Fail("unterminated object");
            }
            if (m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_text[m_pos] == '}') {
                ++m_pos;
                return true;
            }
            return Fail("expected , or }");
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::string m_error;
};

void WriteString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void WriteValue(std::string& out, const JsonValue& value) {
    switch (value.GetType()) {
        case JsonValue::Type::Null:
            out += "null";
            break;
        case JsonValue::Type::Bool:
            out += value.AsBool() ? "true" : "false";
            break;
        case JsonValue::Type::Number: {
            const double number = value.AsNumber();
            char text[32];
            if (std::nearbyint(number) == number && std::fabs(number) < 9.0e15) {
                std::snprintf(text, sizeof text, "%lld", static_cast<long long>(number));
            } else {
                std::snprintf(text, sizeof text, "%.17g", number);
            }
            out += text;
            break;
        }
        case JsonValue::Type::String:
            WriteString(out, value.AsString());
            break;
        case JsonValue::Type::Array: {
            out += '[';
            bool first = true;
            for (const JsonValue& item : value.Items()) {
                if (!first) {
                    out += ',';
                }
                first = false;
                WriteValue(out, item);
            }
            out += ']';
            break;
        }
        case JsonValue::Type::Object: {
            out += '{';
            bool first = true;
            for (const auto& [name, member] : value.Members()) {
                if (!first) {
                    out += ',';
                }
                first = false;
                WriteString(out, name);
                out += ':';
                WriteValue(out, member);
            }
            out += '}';
            break;
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

JsonValue JsonValue::MakeArray() {
    JsonValue value;
    value.m_type = Type::Array;
    return value;
}

JsonValue JsonValue::MakeObject() {
    JsonValue value;
    value.m_type = Type::Object;
    return value;
}

std::int64_t JsonValue::AsInt(std::int64_t fallback, std::int64_t minimum,
                              std::int64_t maximum) const {
    if (!IsNumber() || std::nearbyint(m_number) != m_number ||
        m_number < static_cast<double>(minimum) || m_number > static_cast<double>(maximum)) {
        return fallback;
    }
    return static_cast<std::int64_t>(m_number);
}

const std::string& JsonValue::AsString() const {
    return IsString() ? m_string : kEmptyString;
}

const std::vector<JsonValue>& JsonValue::Items() const {
    return IsArray() ? m_items : kNoItems;
}

const std::vector<JsonValue::Member>& JsonValue::Members() const {
    return IsObject() ? m_members : kNoMembers;
}

const JsonValue& JsonValue::operator[](std::string_view name) const {
    for (const Member& member : Members()) {
        if (member.first == name) {
            return member.second;
        }
    }
    return kNullValue;
}

bool JsonValue::Has(std::string_view name) const {
    for (const Member& member : Members()) {
        if (member.first == name) {
            return true;
        }
    }
    return false;
}

JsonValue& JsonValue::Append(JsonValue value) {
    if (m_type == Type::Null) {
        m_type = Type::Array;
    }
    m_items.push_back(std::move(value));
    return m_items.back();
}

JsonValue& JsonValue::Set(std::string_view name, JsonValue value) {
    if (m_type == Type::Null) {
        m_type = Type::Object;
    }
    for (Member& member : m_members) {
        if (member.first == name) {
            member.second = std::move(value);
            return member.second;
        }
    }
    m_members.emplace_back(std::string(name), std::move(value));
    return m_members.back().second;
}

bool ParseJson(std::string_view text, JsonValue& result, std::string& error) {
    Parser parser(text);
    JsonValue parsed;
    if (!parser.ParseDocument(parsed, error)) {
        return false;
    }
    result = std::move(parsed);
    return true;
}

std::string WriteJson(const JsonValue& value) {
    std::string out;
    WriteValue(out, value);
    return out;
}

std::string ToHex(const std::uint8_t* data, std::size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

bool FromHex(std::string_view text, std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> result;
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (high >= 0) {
                return false;
            }
            continue;
        }
        const int digit = HexDigit(c);
        if (digit < 0) {
            return false;
        }
        if (high < 0) {
            high = digit;
        } else {
            result.push_back(static_cast<std::uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    if (high >= 0) {
        return false;
    }
    bytes = std::move(result);
    return true;
}

}  // namespace zephyl
