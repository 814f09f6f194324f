#include "uJson.h"

#include <gtest/gtest.h>

TEST(JsonWrite, EscapesExactlyAndKeepsMemberOrder) {
    struct Case { std::string in; std::string want; };
    const Case cases[] = {
        {"\xC3\x84/\xC3\xA9", "\"\\u00C4\\/\\u00E9\""},
        {"q\"b\\s", "\"q\\\"b\\\\s\""},
        {"\b\t\n\f\r", "\"\\b\\t\\n\\f\\r\""},
        {std::string("\x01\x1F\x7F", 3), "\"\\u0001\\u001F\x7F\""},
        {"\xF0\x9F\x98\x80", "\"\\uD83D\\uDE00\""},  // above U+FFFF: two surrogates
        {"\xE2\x82\xAC", "\"\\u20AC\""},
        {"a\xFF" "b", "\"a\\uFFFDb\""},  // a stray byte cannot produce invalid output
    };
    for (const auto& c : cases)
        EXPECT_EQ(JsonQuote(c.in), c.want);

    TJson o = TJson::object();
    o["z"] = "1";
    o["a"] = TJson::array({true, false});
    o["m"] = 12;
    o["n"] = nullptr;
    EXPECT_EQ(JsonWrite(o), "{\"z\":\"1\",\"a\":[true,false],\"m\":12,\"n\":null}");
}

TEST(JsonText, StringsGiveContentOtherValuesTheirText) {
    TJson j;
    ASSERT_TRUE(JsonTryParse(R"({"s":"x\/y","b":true,"n":1,"f":1.5})", j));
    EXPECT_EQ(JsonText(JsonMember(j, "s")), "x/y");
    EXPECT_EQ(JsonText(JsonMember(j, "b")), "true");
    EXPECT_EQ(JsonText(JsonMember(j, "n")), "1");
    EXPECT_EQ(JsonText(JsonMember(j, "f")), "1.5");
    EXPECT_EQ(JsonText(JsonMember(j, "missing")), "");
    EXPECT_FALSE(JsonTryParse("{not json", j));
}

TEST(JsonTryParse, RefusesNestingTooDeepToHandleSafely) {
    TJson j;
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    EXPECT_FALSE(JsonTryParse(deep, j));
    const std::string ok = std::string(JsonMaxDepth, '[') + std::string(JsonMaxDepth, ']');
    EXPECT_TRUE(JsonTryParse(ok, j));
    EXPECT_TRUE(JsonTryParse(R"({"s":"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["})", j));
}
