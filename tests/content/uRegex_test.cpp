#include "uRegex.h"

#include "uUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(Regex, NamedGroupsBackReferencesAndOptions) {
    TRegex re("<(?<tag>p|div)\\b[^>]*>(?<body>.*?)</\\k<tag>>", roIgnoreCase | roSingleLine);
    auto m = re.Match("x<DIV class=a>one\ntwo</div><p>3</P>");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Index(), 1u);
    EXPECT_EQ(m->Group("tag"), "DIV");
    EXPECT_EQ(m->Group("body"), "one\ntwo");
    EXPECT_EQ(m->Group(2), "one\ntwo");
    EXPECT_EQ(re.Matches("<p>a</p><div>b</p></div>").size(), 2u);
    // Without single line the dot stops at a line break; without ignore case the tag must match.
    EXPECT_FALSE(TRegex("<p>.*</p>").IsMatch("<p>a\nb</p>"));
    EXPECT_FALSE(TRegex("<p>").IsMatch("<P>"));
    EXPECT_THROW(m->Group("nope"), EAppError);
}

TEST(Regex, UnsetGroupsReadAsEmpty) {
    auto m = TRegex("(a)|(b)").Match("b");
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->GroupSuccess(1));
    EXPECT_EQ(m->Group(1), "");
    EXPECT_EQ(m->Group(2), "b");
    EXPECT_EQ(m->Group(7), "");
}

TEST(Regex, ReplacementTemplates) {
    struct TCase {
        const char* Template;
        const char* Expected;
    } cases[] = {
        {"[$1]", "x[ab]y[cd]"},
        {"[${second}${1}]", "x[bab]y[dcd]"},
        {"$$1 $& $0", "x$1 ab aby$1 cd cd"},
        {"$9 ${nope} $x $", "x$9 ${nope} $x $y$9 ${nope} $x $"},
        {"$12", "x$12y$12"},           // no group 12: literal
        {"<$`|$'>", "x<x|ycd>y<xaby|>"},
    };
    TRegex letters("(?<g>[a-d](?<second>[a-d]))");
    for (const auto& c : cases)
        EXPECT_EQ(letters.Replace("xabycd", c.Template), c.Expected) << c.Template;
}

TEST(Regex, EvaluatorSeesEveryMatchAndEmptyMatchesAdvance) {
    int calls = 0;
    std::string out = TRegex("\\d+").Replace("a1b22c333", [&](const TRegexMatch& AMatch) {
        ++calls;
        return "<" + IntToStr(static_cast<long long>(AMatch.Length())) + ">";
    });
    EXPECT_EQ(out, "a<1>b<2>c<3>");
    EXPECT_EQ(calls, 3);
    // Replace-all replaces empty matches; ReplaceMatchesWith keeps them.
    EXPECT_EQ(TRegex("x*").Replace("\xC3\xA9x", "-"), "-\xC3\xA9--");
    EXPECT_EQ(ReplaceMatchesWith("\xC3\xA9x", "x*", roNone, [](const TRegexMatch&) { return std::string("-"); }),
              "\xC3\xA9-");
}

TEST(Regex, InvalidUtf8SubjectsNeitherFailNorLoseBytes) {
    std::string subject = "a\xFF{b}\xC3";
    EXPECT_EQ(TRegex("\\{(.)\\}").Replace(subject, "[$1]"), "a\xFF[b]\xC3");
    EXPECT_EQ(TRegex("x").Replace(subject, "y"), subject);
}

TEST(Regex, BadPatternsAndRunawayBacktrackingRaiseErrors) {
    EXPECT_THROW(TRegex("(unclosed"), EAppError);
    std::string subject(40, 'a');
    subject += "!";
    try {
        TRegex("(a+)+$").IsMatch(subject);
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(std::string(e.what()).find("limit"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("(a+)+$"), std::string::npos) << e.what();
    }
}

TEST(Regex, LazyBodyOverLargeInputNeedsNoDeepStack) {
    std::string big = "{begin}" + std::string(8 * 1024 * 1024, 'x') + "{end}";
    auto m = TRegex("\\{begin\\}(?<body>.*?)\\{end\\}", roSingleLine).Match(big);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Group("body").size(), 8u * 1024 * 1024);
}

}  // namespace
