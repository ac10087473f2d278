#include "json.h"

#include <gtest/gtest.h>

using namespace tabrix::cli;

namespace {

JsonValue parsed(std::string_view text) {
    JsonValue value;
    JsonError error;
    EXPECT_TRUE(parse_json(text, value, error)) << text << ": " << error.message;
    return value;
}

JsonError refused(std::string_view text) {
    JsonValue value;
    JsonError error;
    EXPECT_FALSE(parse_json(text, value, error)) << text;
    return error;
}

}  // namespace

TEST(Json, ReadsEveryKindOfValue) {
    const JsonValue v = parsed(
        R"( {"n": -12.5e1, "z": 0, "t": true, "f": false, "x": null,
             "s": "a\"\\\/\b\f\n\r\t", "list": [1, "two", [], {}], "n": 7} )");
    ASSERT_EQ(v.kind, JsonValue::Kind::object);
    ASSERT_EQ(v.members.size(), 7u);  // the repeated "n" keeps its place and its last value
    EXPECT_EQ(v.members[0].second.number, 7);
    EXPECT_EQ(v.members[1].second.number, 0);
    EXPECT_TRUE(v.members[2].second.boolean);
    EXPECT_EQ(v.members[3].second.kind, JsonValue::Kind::boolean);
    EXPECT_EQ(v.members[4].second.kind, JsonValue::Kind::null);
    EXPECT_EQ(v.members[5].second.text, "a\"\\/\b\f\n\r\t");
    const JsonValue &list = v.members[6].second;
    ASSERT_EQ(list.items.size(), 4u);
    EXPECT_EQ(list.items[1].text, "two");
    EXPECT_EQ(list.items[2].kind, JsonValue::Kind::array);
    EXPECT_EQ(list.items[3].kind, JsonValue::Kind::object);
}

TEST(Json, JoinsSurrogatePairsIntoUtf8) {
    EXPECT_EQ(parsed(R"("\u6771\u4eac \ud83d\ude00 \u00e9")").text,
              "\xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80 \xC3\xA9");
    EXPECT_EQ(parsed("\"\xE6\x9D\xB1\"").text, "\xE6\x9D\xB1");  // raw UTF-8 passes
}

TEST(Json, RefusesMalformedDocumentsWithTheirPlace) {
    const JsonError error = refused("{\"a\": [1, 2,\n  , 3]}");
    EXPECT_EQ(error.line, 2u);
    EXPECT_EQ(error.column, 3u);
    for (const char *bad : {"",
                            "{",
                            "[1,]",
                            "{\"a\" 1}",
                            "{\"a\":1,}",
                            "01",
                            "1.",
                            "-",
                            "1e",
                            "+1",
                            "1e999",
                            "tru",
                            "\"\\x\"",
                            "\"\\ud83d\"",
                            "\"\\ude00\"",
                            "\"\\ud83d\\u0041\"",
                            "\"\\u12g4\"",
                            "\"open",
                            "\"tab\there\"",
                            "\"\xFF\"",
                            "1 2",
                            "nulls"}) {
        refused(bad);
    }
    EXPECT_NE(refused(std::string(600, '[')).message.find("deep"), std::string::npos);
}
