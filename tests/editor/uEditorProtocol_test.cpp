#include "uEditorProtocol.h"

#include <gtest/gtest.h>


TEST(EditorProtocol, ExecMessageMemberOrderOriginAndOptionalArg) {
    EXPECT_EQ(BuildExecMessage("undo", "", false), R"({"type":"exec","cmd":"undo","origin":"user"})");
    EXPECT_EQ(BuildExecMessage("backColor", "", true),
              R"({"type":"exec","cmd":"backColor","origin":"program"})");
    EXPECT_EQ(BuildExecMessage("link", "https://x.org/a b", false),
              R"({"type":"exec","cmd":"link","origin":"user","arg":"https:\/\/x.org\/a b"})");
    EXPECT_EQ(BuildRequestMessage("getHtml"), R"({"type":"getHtml"})");
}

TEST(EditorProtocol, SetHtmlIsPureAsciiAndQuotedForScript) {
    // A double quote, a backslash, CR LF, a non-ASCII letter and an emoji.
    std::string html = "<p class=\"a\">x\\y\r\n\xC3\xA9 \xF0\x9F\x98\x80</p>";
    std::string json = BuildSetHtmlMessage(html);
    EXPECT_EQ(json, R"({"type":"setHtml","html":"<p class=\"a\">x\\y\r\n\u00E9 \uD83D\uDE00<\/p>"})");
    EXPECT_EQ(PostToPageScript(json),
              R"(window.__sv_recv && window.__sv_recv("{\"type\":\"setHtml\",\"html\":\"<p class=\\\"a\\\">x\\\\y\\r\\n\\u00E9 \\uD83D\\uDE00<\\/p>\"}");)");
}

TEST(EditorProtocol, JsQuoteEscapesInOrder) {
    EXPECT_EQ(JsQuote("a\\b\"c\rd\ne"), "\"a\\\\b\\\"c\\rd\\ne\"");
    EXPECT_EQ(JsQuote(""), "\"\"");
    EXPECT_EQ(SetBaseHrefScript("file:///a%20b/"), "svSetBaseHref(\"file:///a%20b/\");");
}

TEST(EditorProtocol, TopicLinkArgumentIsCompactJsonWithEscapedSlashAndNonAscii) {
    EXPECT_EQ(TopicLinkArg("X", "Q&A/B"), R"({"href":"doc:X","text":"Q&A\/B"})");
    EXPECT_EQ(TopicLinkArg("t1", "Caf\xC3\xA9 \"1\""), R"({"href":"doc:t1","text":"Caf\u00E9 \"1\""})");
}

TEST(EditorProtocol, AlignAndTableArguments) {
    EXPECT_EQ(AlignArg(TTextAlign::taLeft), "left");
    EXPECT_EQ(AlignArg(TTextAlign::taJustify), "justify");
    EXPECT_FALSE(AlignArg(static_cast<TTextAlign>(4)).has_value());
    EXPECT_FALSE(AlignArg(static_cast<TTextAlign>(-1)).has_value());
    EXPECT_EQ(TableArg(3, -2), "3,-2");
}

TEST(EditorProtocol, FilePathToFileUrlEncodesOnlyBlanks) {
    EXPECT_EQ(FilePathToFileUrl("/My Docs/a b.html"), "file:///My%20Docs/a%20b.html");
    EXPECT_EQ(FilePathToFileUrl("/Docs/C#/100%/\xC3\xA9/"), "file:///Docs/C#/100%/\xC3\xA9/");
    EXPECT_EQ(FilePathToFileUrl("/Docs/My Help/"), "file:///Docs/My%20Help/");
    std::string rel = FilePathToFileUrl("x y.html");
    EXPECT_EQ(rel.rfind("file:///", 0), 0u);
    EXPECT_NE(rel.find("/x%20y.html"), std::string::npos);
    EXPECT_EQ(rel.find("////"), std::string::npos);
}

TEST(EditorProtocol, TypeIsMatchedIgnoringCaseAndStringsAreDropped) {
    EXPECT_EQ(ParseEditorMessage(R"({"type":"READY"})").Kind, TEditorMessageKind::Ready);
    for (const char* dropped : {R"("{\"type\":\"ready\"}")", R"("key")", "[1]", "not json", "",
                                R"({"type":"other"})", R"({"html":"x"})", R"({"type":7})"})
        EXPECT_EQ(ParseEditorMessage(dropped).Kind, TEditorMessageKind::None) << dropped;
}

TEST(EditorProtocol, UserFlagReading) {
    struct { const char* user; bool expected; } cases[] = {
        {"true", true}, {"\"true\"", true}, {"\"TRUE\"", true}, {"1", true}, {"\"1\"", true},
        {"false", false}, {"\"yes\"", false}, {"0", false}, {"null", false}, {"1.0", false},
    };
    for (const auto& c : cases) {
        auto m = ParseEditorMessage(std::string(R"({"type":"htmlChanged","html":"<p>x</p>","user":)") + c.user + "}");
        EXPECT_EQ(m.Kind, TEditorMessageKind::HtmlChanged);
        EXPECT_EQ(m.Html, "<p>x</p>");
        EXPECT_EQ(m.User, c.expected) << c.user;
    }
    EXPECT_FALSE(ParseEditorMessage(R"({"type":"htmlChanged","html":"x"})").User);
    auto r = ParseEditorMessage(R"({"type":"htmlresponse","html":"a\u00e9\ud83d\ude00","user":true})");
    EXPECT_EQ(r.Kind, TEditorMessageKind::HtmlResponse);
    EXPECT_EQ(r.Html, "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_FALSE(r.User);
}

TEST(EditorProtocol, CursorStyleFillsAllTwelveMembersTolerantly) {
    auto m = ParseEditorMessage(
        R"({"type":"cursorStyle","area":"header","fontName":"Arial","fontSizePx":18,"textColor":"#112233",)"
        R"("backColor":"#FFFFFF","align":"center","bold":true,"italic":"1","underline":"TRUE",)"
        R"("listType":"ul","blockTag":"h2","lineHeight":1.5})");
    ASSERT_EQ(m.Kind, TEditorMessageKind::CursorStyle);
    const TEditorCursorStyle& s = m.Style;
    EXPECT_EQ(s.Area, "header");
    EXPECT_EQ(s.FontName, "Arial");
    EXPECT_EQ(s.FontSizePx, 18);
    EXPECT_EQ(s.TextColorHtml, "#112233");
    EXPECT_EQ(s.BackColorHtml, "#FFFFFF");
    EXPECT_EQ(s.Align, "center");
    EXPECT_TRUE(s.Bold && s.Italic && s.Underline);
    EXPECT_EQ(s.ListType, "ul");
    EXPECT_EQ(s.BlockTag, "h2");
    EXPECT_EQ(s.LineHeight, "1.5");  // a number reads as its text

    struct { const char* size; int expected; } sizes[] = {
        {"14.5", 0}, {"\"14px\"", 0}, {"\"16\"", 16}, {"-3", -3}, {"99999999999", 0}, {"true", 0},
    };
    for (const auto& c : sizes)
        EXPECT_EQ(ParseEditorMessage(std::string(R"({"type":"cursorStyle","fontSizePx":)") + c.size + "}")
                      .Style.FontSizePx,
                  c.expected)
            << c.size;
    auto empty = ParseEditorMessage(R"({"type":"cursorStyle"})").Style;
    EXPECT_EQ(empty.FontName, "");
    EXPECT_FALSE(empty.Bold);
}

TEST(EditorProtocol, HeaderAndAreaMessages) {
    auto h = ParseEditorMessage(R"({"type":"headerChanged","headerHtml":"<b>T<\/b>","headerBg":"#fafafa"})");
    EXPECT_EQ(h.Kind, TEditorMessageKind::HeaderChanged);
    EXPECT_EQ(h.HeaderHtml, "<b>T</b>");
    EXPECT_EQ(h.HeaderBg, "#fafafa");
    auto a = ParseEditorMessage(R"({"type":"areaChanged"})");
    EXPECT_EQ(a.Kind, TEditorMessageKind::AreaChanged);
    EXPECT_EQ(a.Area, "");
}
