#pragma once
// A small JSON reader and writer for the files other programs exchange with us (tool
// libraries of CAM systems). Numbers are kept as the text the file holds, so that a
// value passes through unchanged and the caller decides how to convert it; objects keep
// their members in file order, so that a file written back reads like the one read.
//
// The reader takes any file, however damaged: it never recurses deeper than
// kJsonMaxDepth, and it reports the line of the first fault.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvt {

inline constexpr int kJsonMaxDepth = 64;

class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    static JsonValue boolean(bool value);
    static JsonValue number(std::string literal); // a valid JSON number literal
    static JsonValue string(std::string utf8);
    static JsonValue array();
    static JsonValue object();

    Type type() const { return m_type; }
    bool isObject() const { return m_type == Type::Object; }
    bool isArray() const { return m_type == Type::Array; }

    // Text of a string, the literal of a number; empty otherwise.
    const std::string& text() const { return m_text; }
    bool boolValue() const { return m_bool; }
    // The value of a number, or of a string that holds a plain number; none otherwise.
    std::optional<double> toDouble() const;

    const std::vector<JsonValue>& items() const { return m_items; }
    const std::vector<std::pair<std::string, JsonValue>>& members() const { return m_members; }
    // The first member of that name; null when there is none or this is no object.
    const JsonValue* find(std::string_view key) const;

    JsonValue& append(JsonValue value);
    // Replaces the member of that name, or adds it at the end.
    JsonValue& set(std::string_view key, JsonValue value);

private:
    Type m_type = Type::Null;
    bool m_bool = false;
    std::string m_text;
    std::vector<JsonValue> m_items;
    std::vector<std::pair<std::string, JsonValue>> m_members;
};

struct JsonParseResult {
    bool ok = false;
    std::size_t line = 0; // of the fault, from 1
    std::string reason; // plain English, for the diagnostic part of a message
    JsonValue value;
};

// Reads UTF-8 JSON; a byte-order mark at the start is skipped. Invalid UTF-8 in a
// string, a lone surrogate escape, a control character, trailing text or nesting deeper
// than kJsonMaxDepth are faults.
JsonParseResult parseJson(std::string_view text);

// Writes with two-space indentation and "\n" line ends; strings as UTF-8 with only the
// escapes JSON requires.
std::string writeJson(const JsonValue& value);

} // namespace kvt
