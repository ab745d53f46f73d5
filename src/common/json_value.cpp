#include "common/json_value.h"

#include "common/field_validation.h"

#include <cmath>

namespace kvt {

JsonValue JsonValue::boolean(bool value)
{
    JsonValue v;
    v.m_type = Type::Bool;
    v.m_bool = value;
    return v;
}

JsonValue JsonValue::number(std::string literal)
{
    JsonValue v;
    v.m_type = Type::Number;
    v.m_text = std::move(literal);
    return v;
}

JsonValue JsonValue::string(std::string utf8)
{
    JsonValue v;
    v.m_type = Type::String;
    v.m_text = std::move(utf8);
    return v;
}

JsonValue JsonValue::array()
{
    JsonValue v;
    v.m_type = Type::Array;
    return v;
}

JsonValue JsonValue::object()
{
    JsonValue v;
    v.m_type = Type::Object;
    return v;
}

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The JSON number grammar; `end` is set past the literal.
bool scanNumber(std::string_view text, std::size_t start, std::size_t& end)
{
    std::size_t i = start;
    if (i < text.size() && text[i] == '-')
        ++i;
    if (i >= text.size() || !isDigit(text[i]))
        return false;
    if (text[i] == '0')
        ++i;
    else
        while (i < text.size() && isDigit(text[i]))
            ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (i >= text.size() || !isDigit(text[i]))
            return false;
        while (i < text.size() && isDigit(text[i]))
            ++i;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (i >= text.size() || !isDigit(text[i]))
            return false;
        while (i < text.size() && isDigit(text[i]))
            ++i;
    }
    end = i;
    return true;
}

} // namespace

std::optional<double> JsonValue::toDouble() const
{
    if (m_type != Type::Number && m_type != Type::String)
        return std::nullopt;
    std::size_t end = 0;
    if (!scanNumber(m_text, 0, end) || end != m_text.size())
        return std::nullopt;
    const double value = leadingDouble(m_text);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

const JsonValue* JsonValue::find(std::string_view key) const
{
    for (const auto& [name, value] : m_members) {
        if (name == key)
            return &value;
    }
    return nullptr;
}

JsonValue& JsonValue::append(JsonValue value)
{
    m_items.push_back(std::move(value));
    return m_items.back();
}

JsonValue& JsonValue::set(std::string_view key, JsonValue value)
{
    for (auto& [name, member] : m_members) {
        if (name == key) {
            member = std::move(value);
            return member;
        }
    }
    m_members.emplace_back(std::string(key), std::move(value));
    return m_members.back().second;
}

namespace {

class Reader {
public:
    explicit Reader(std::string_view text)
        : m_text(text)
    {
    }

    JsonParseResult run()
    {
        JsonParseResult result;
        if (m_text.starts_with("\xEF\xBB\xBF"))
            m_pos = 3;
        skipBlanks();
        bool ok = value(result.value, 0);
        if (ok) {
            skipBlanks();
            if (m_pos != m_text.size())
                ok = fail("text after the end");
        }
        if (!ok) {
            result.value = JsonValue();
            result.line = m_line;
            result.reason = m_reason;
            return result;
        }
        result.ok = true;
        return result;
    }

private:
    bool fail(const char* reason)
    {
        if (m_reason.empty())
            m_reason = reason;
        return false;
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == '\n')
                ++m_line;
            else if (c != ' ' && c != '\t' && c != '\r')
                return;
            ++m_pos;
        }
    }

    bool literal(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word)
            return fail("unknown word");
        m_pos += word.size();
        return true;
    }

    bool value(JsonValue& out, int depth)
    {
        if (depth > kJsonMaxDepth)
            return fail("nested too deeply");
        if (m_pos >= m_text.size())
            return fail("unexpected end of the file");
        const char c = m_text[m_pos];
        switch (c) {
        case '{':
            return object(out, depth);
        case '[':
            return array(out, depth);
        case '"': {
            std::string s;
            if (!string(s))
                return false;
            out = JsonValue::string(std::move(s));
            return true;
        }
        case 't':
            out = JsonValue::boolean(true);
            return literal("true");
        case 'f':
            out = JsonValue::boolean(false);
            return literal("false");
        case 'n':
            out = JsonValue();
            return literal("null");
        default: {
            std::size_t end = 0;
            if (!scanNumber(m_text, m_pos, end))
                return fail("not a JSON value");
            out = JsonValue::number(std::string(m_text.substr(m_pos, end - m_pos)));
            m_pos = end;
            return true;
        }
        }
    }

    bool object(JsonValue& out, int depth)
    {
        out = JsonValue::object();
        ++m_pos;
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == '}') {
            ++m_pos;
            return true;
        }
        for (;;) {
            skipBlanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"')
                return fail("a member name is missing");
            std::string key;
            if (!string(key))
                return false;
            skipBlanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != ':')
                return fail("\":\" is missing");
            ++m_pos;
            skipBlanks();
            JsonValue member;
            if (!value(member, depth + 1))
                return false;
            out.set(key, std::move(member));
            skipBlanks();
            if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == '}') {
                ++m_pos;
                return true;
            }
            return fail("\",\" or \"}\" is missing");
        }
    }

    bool array(JsonValue& out, int depth)
    {
        out = JsonValue::array();
        ++m_pos;
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == ']') {
            ++m_pos;
            return true;
        }
        for (;;) {
            skipBlanks();
            JsonValue item;
            if (!value(item, depth + 1))
                return false;
            out.append(std::move(item));
            skipBlanks();
            if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == ']') {
                ++m_pos;
                return true;
            }
            return fail("\",\" or \"]\" is missing");
        }
    }

    bool hex4(unsigned& out)
    {
        if (m_pos + 4 > m_text.size())
            return fail("broken \\u escape");
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            out <<= 4;
            if (c >= '0' && c <= '9')
                out |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                out |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                out |= static_cast<unsigned>(c - 'A' + 10);
            else
                return fail("broken \\u escape");
        }
        return true;
    }

    static void appendUtf8(std::string& out, unsigned cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // One UTF-8 character copied as it stands; false for a broken sequence.
    bool utf8Character(std::string& out)
    {
        const auto lead = static_cast<unsigned char>(m_text[m_pos]);
        std::size_t length = 0;
        unsigned cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return fail("the text is not UTF-8");
        }
        if (m_pos + length > m_text.size())
            return fail("the text is not UTF-8");
        for (std::size_t i = 1; i < length; ++i) {
            const auto c = static_cast<unsigned char>(m_text[m_pos + i]);
            if ((c & 0xC0) != 0x80)
                return fail("the text is not UTF-8");
            cp = (cp << 6) | (c & 0x3F);
        }
        const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return fail("the text is not UTF-8");
        out.append(m_text.substr(m_pos, length));
        m_pos += length;
        return true;
    }

    bool string(std::string& out)
    {
        ++m_pos; // the opening quote
        for (;;) {
            if (m_pos >= m_text.size())
                return fail("a text is not closed");
            const char c = m_text[m_pos];
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("a control character in a text");
            if (static_cast<unsigned char>(c) >= 0x80) {
                if (!utf8Character(out))
                    return false;
                continue;
            }
            ++m_pos;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size())
                return fail("a text is not closed");
            const char e = m_text[m_pos++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned cp = 0;
                if (!hex4(cp))
                    return false;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    unsigned low = 0;
                    if (m_text.substr(m_pos, 2) != "\\u")
                        return fail("half of a character in a \\u escape");
                    m_pos += 2;
                    if (!hex4(low))
                        return false;
                    if (low < 0xDC00 || low > 0xDFFF)
                        return fail("half of a character in a \\u escape");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return fail("half of a character in a \\u escape");
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                return fail("unknown escape in a text");
            }
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
    std::string m_reason;
};

void writeString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
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
                out += "\\u00";
                out += kHex[(c >> 4) & 0xF];
                out += kHex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void write(std::string& out, const JsonValue& value, int indent)
{
    const std::string pad(static_cast<std::size_t>(indent + 1) * 2, ' ');
    const std::string closePad(static_cast<std::size_t>(indent) * 2, ' ');
    switch (value.type()) {
    case JsonValue::Type::Null:
        out += "null";
        break;
    case JsonValue::Type::Bool:
        out += value.boolValue() ? "true" : "false";
        break;
    case JsonValue::Type::Number:
        out += value.text();
        break;
    case JsonValue::Type::String:
        writeString(out, value.text());
        break;
    case JsonValue::Type::Array:
        if (value.items().empty()) {
            out += "[]";
            break;
        }
        out += "[\n";
        for (std::size_t i = 0; i < value.items().size(); ++i) {
            out += pad;
            write(out, value.items()[i], indent + 1);
            out += i + 1 < value.items().size() ? ",\n" : "\n";
        }
        out += closePad + "]";
        break;
    case JsonValue::Type::Object:
        if (value.members().empty()) {
            out += "{}";
            break;
        }
        out += "{\n";
        for (std::size_t i = 0; i < value.members().size(); ++i) {
            out += pad;
            writeString(out, value.members()[i].first);
            out += ": ";
            write(out, value.members()[i].second, indent + 1);
            out += i + 1 < value.members().size() ? ",\n" : "\n";
        }
        out += closePad + "}";
        break;
    }
}

} // namespace

JsonParseResult parseJson(std::string_view text)
{
    return Reader(text).run();
}

std::string writeJson(const JsonValue& value)
{
    std::string out;
    write(out, value, 0);
    out += '\n';
    return out;
}

} // namespace kvt
