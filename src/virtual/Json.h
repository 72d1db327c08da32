// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zephyl {

/// A small JSON value for the virtual keyboard's scenario and state files. Objects keep their
/// members in insertion order so that written files stay stable and diffable.
class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };
    using Member = std::pair<std::string, JsonValue>;

    JsonValue() = default;
    JsonValue(bool value) : m_type(Type::Bool), m_bool(value) {}
    JsonValue(int value) : m_type(Type::Number), m_number(value) {}
    JsonValue(std::int64_t value) : m_type(Type::Number), m_number(static_cast<double>(value)) {}
    JsonValue(std::uint64_t value) : m_type(Type::Number), m_number(static_cast<double>(value)) {}
    JsonValue(double value) : m_type(Type::Number), m_number(value) {}
    JsonValue(const char* value) : m_type(Type::String), m_string(value) {}
    JsonValue(std::string value) : m_type(Type::String), m_string(std::move(value)) {}

    static JsonValue MakeArray();
    static JsonValue MakeObject();

    Type GetType() const { return m_type; }
    bool IsNull() const { return m_type == Type::Null; }
    bool IsBool() const { return m_type == Type::Bool; }
    bool IsNumber() const { return m_type == Type::Number; }
    bool IsString() const { return m_type == Type::String; }
    bool IsArray() const { return m_type == Type::Array; }
    bool IsObject() const { return m_type == Type::Object; }

    bool AsBool(bool fallback = false) const { return IsBool() ? m_bool : fallback; }
    double AsNumber(double fallback = 0) const { return IsNumber() ? m_number : fallback; }
    /// The number when it is integral and within [minimum, maximum]; fallback otherwise.
    std::int64_t AsInt(std::int64_t fallback = 0, std::int64_t minimum = INT64_MIN / 2,
                       std::int64_t maximum = INT64_MAX / 2) const;
    const std::string& AsString() const;

    /// Array elements; empty for other types.
    const std::vector<JsonValue>& Items() const;
    /// Object members in insertion order; empty for other types.
    const std::vector<Member>& Members() const;

    /// The member with this name; a null value when absent or when this is not an object.
    const JsonValue& operator[](std::string_view name) const;
    bool Has(std::string_view name) const;

    /// Appends to an array (turns a null value into an array first).
    JsonValue& Append(JsonValue value);
    /// Sets a member of an object (turns a null value into an object first), replacing one of
    /// the same name in place.
    JsonValue& Set(std::string_view name, JsonValue value);

private:
    Type m_type = Type::Null;
    bool m_bool = false;
    double m_number = 0;
    std::string m_string;
    std::vector<JsonValue> m_items;
    std::vector<Member> m_members;
};

/// Parses a complete JSON text. Nesting is limited so hostile input cannot exhaust the stack.
/// Returns false and a one-line reason on any error.
bool ParseJson(std::string_view text, JsonValue& result, std::string& error);

/// Writes compact JSON (no spaces); numbers that are integral are written without a fraction.
std::string WriteJson(const JsonValue& value);

/// Lower-case hexadecimal text of bytes, two digits each, no separators.
std::string ToHex(const std::uint8_t* data, std::size_t length);
std::string ToHex(const std::vector<std::uint8_t>& bytes);
/// Reads hexadecimal text (whitespace allowed between pairs); false on an odd digit count or a
/// character that is not a digit.
bool FromHex(std::string_view text, std::vector<std::uint8_t>& bytes);

}  // namespace zephyl
