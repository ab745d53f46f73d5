#include "common/json_value.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

struct JsonCase {
    const char* text;
    bool ok;
    std::size_t line; // of the fault
    const char* reason;
};

TEST(JsonValue, ReadsValidTextAndNamesTheFaultOfBrokenText)
{
    const JsonCase cases[] = {
        {"{\"a\": [1, -2.5e3, true, false, null, \"x\"]}", true, 0, ""},
        {"\xEF\xBB\xBF{}", true, 0, ""},
        {"  [ ]  \r\n", true, 0, ""},
        {"{\"a\": 1,}", false, 1, "a member name is missing"},
        {"[1,\n2,\n]", false, 3, "not a JSON value"},
        {"[01]", false, 1, "\",\" or \"]\" is missing"},
        {"[1.]", false, 1, "not a JSON value"},
        {"{\"a\" 1}", false, 1, "\":\" is missing"},
        {"\"open", false, 1, "a text is not closed"},
        {"\"tab\there\"", false, 1, "a control character in a text"},
        {"\"\\x\"", false, 1, "unknown escape in a text"},
        {"\"\\ud800\"", false, 1, "half of a character in a \\u escape"},
        {"\"\\udc00\"", false, 1, "half of a character in a \\u escape"},
        {"\"\xC3\"", false, 1, "the text is not UTF-8"},
        {"\"\xE0\x80\x80\"", false, 1, "the text is not UTF-8"},
        {"\"\xED\xA0\x80\"", false, 1, "the text is not UTF-8"},
        {"{} {}", false, 1, "text after the end"},
        {"tru", false, 1, "unknown word"},
        {"", false, 1, "unexpected end of the file"},
    };
    for (const JsonCase& c : cases) {
        const JsonParseResult result = parseJson(c.text);
        EXPECT_EQ(result.ok, c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(result.line, c.line) << c.text;
            EXPECT_EQ(result.reason, c.reason) << c.text;
        }
    }
    EXPECT_EQ(parseJson(std::string(65, '[') + std::string(65, ']')).ok, true);
    EXPECT_EQ(parseJson(std::string(66, '[') + std::string(66, ']')).reason, "nested too deeply");
}

TEST(JsonValue, WritesWhatItReadsWithEscapesAndNumbersAsTheyStood)
{
    const JsonParseResult read
        = parseJson(R"({"name": "a\"b\\c\/d\n\u00e4\ud83d\ude00\u0001", "n": 0.1000, "list": [], "o": {}})");
    ASSERT_TRUE(read.ok) << read.reason;
    EXPECT_EQ(read.value.find("name")->text(), "a\"b\\c/d\n\xC3\xA4\xF0\x9F\x98\x80\x01");
    EXPECT_EQ(read.value.find("n")->text(), "0.1000");
    EXPECT_EQ(read.value.find("n")->toDouble(), 0.1);
    EXPECT_EQ(read.value.find("name")->toDouble(), std::nullopt);
    EXPECT_EQ(read.value.find("missing"), nullptr);
    EXPECT_EQ(writeJson(read.value),
        "{\n  \"name\": \"a\\\"b\\\\c/d\\n\xC3\xA4\xF0\x9F\x98\x80\\u0001\",\n  \"n\": 0.1000,\n  \"list\": [],\n"
        "  \"o\": {}\n}\n");
    EXPECT_EQ(writeJson(parseJson(writeJson(read.value)).value), writeJson(read.value));
}

} // namespace
} // namespace kvt
