#include "uHtmlUtils.h"

#include <gtest/gtest.h>

namespace {

struct TTextCase {
    const char* Input;
    const char* Expected;
};

TEST(HtmlUtils, EncodeEntitiesTouchesOnlyTheFourCharacters) {
    const TTextCase cases[] = {
        {"", ""},
        {"a & b < c > d \"e\" 'f'", "a &amp; b &lt; c &gt; d &quot;e&quot; 'f'"},
        {"&amp;", "&amp;amp;"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlEncodeEntities(c.Input), c.Expected) << c.Input;
}

TEST(HtmlUtils, DecodeEntitiesKnowsDecimalAndFiveNamedReferences) {
    const TTextCase cases[] = {
        {"", ""},
        {"&#39;&apos;", "''"},
        {"&amp;&lt;&gt;&quot;", "&<>\""},
        {"&nbsp;&AMP;&Lt;", "&nbsp;&AMP;&Lt;"},           // other names and other case stay
        {"&#65;&#128512;", "A\xF0\x9F\x98\x80"},           // astral value
        {"&#x41;&#;&#12a;&#65", "&#x41;&#;&#12a;&#65"},    // not decimal, or no semicolon
        {"&amp;lt;", "&lt;"},                              // one scan: decoded once
        {"&#55357;&#99999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate, out of range
        {"a&b&#", "a&b&#"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlDecodeEntities(c.Input), c.Expected) << c.Input;
}

TEST(HtmlUtils, EscapeHtmlEscapesFiveCharactersAndReescapesEntities) {
    EXPECT_EQ(EscapeHtml("&<>\"'"), "&amp;&lt;&gt;&quot;&#39;");
    EXPECT_EQ(EscapeHtml("&lt;b&gt;"), "&amp;lt;b&amp;gt;");
    EXPECT_EQ(EscapeHtml(""), "");
}

TEST(HtmlUtils, PlainTextDropsScriptsAndTagsAndDecodesSixEntities) {
    const TTextCase cases[] = {
        {"", ""},
        {"<p>Hello <script type=\"x\">var a = '<b>';</script><b>bold</b>&nbsp;world</p>", "Hello bold world"},
        {"<STYLE>\np{}\n</style>A<Style>x</STYLE>B", "A B"},
        {"  a\t\n\r b  ", "a b"},
        {"&AMP;lt;b&GT; &quot;q&quot; &#39;s&#39; &copy;", "<b> \"q\" 's' &copy;"},
        {"x<br/>y", "x y"},
        {"a<>b<<c>d <open", "a<>b d <open"},  // a tag needs a character inside and a ">"
        {"a\v\fb\xC2\xA0" "c", "a b\xC2\xA0" "c"},   // ASCII white space only
        {"<b\xFF>x</b>", "<b\xFF>x"},         // no tag across a byte that is not UTF-8
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlToPlainText(c.Input), c.Expected) << c.Input;
}

TEST(HtmlUtils, DocLinksAcceptEveryWrittenFormButExactly32Digits) {
    const std::string id = "0123456789ABCDEF0123456789abcdef";
    const std::string html = "<a href=\"doc:" + id + "\">a</a> <A HREF = 'DOC:" + id + "\">b</a> " +
                             "<a href=\"doc:" + id.substr(1) + "\">31</a> <a href=\"doc:" + id + "0\">33</a>" +
                             "<a href='doc:" + id + "'>again</a>";
    EXPECT_EQ(ExtractDocLinkIds(html), (std::vector<std::string>{id, id, id}));

    std::vector<std::string> asked;
    std::string out = RewriteDocLinks(html, [&](const std::string& AID) {
        asked.push_back(AID);
        return asked.size() == 2 ? std::string() : AID + ".html";
    });
    EXPECT_EQ(out, "<a href=\"" + id + ".html\">a</a> <A href=\"#\">b</a> " + "<a href=\"doc:" + id.substr(1) +
                       "\">31</a> <a href=\"doc:" + id + "0\">33</a>" + "<a href=\"" + id + ".html\">again</a>");
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(RewriteDocLinks("<a href=\"doc:" + id + "\">", nullptr), "<a href=\"#\">");
    EXPECT_EQ(RewriteDocLinks("no links", nullptr), "no links");
}

TEST(HtmlUtils, DocLinksKeepTheirFragment) {
    const std::string id = "0123456789ABCDEF0123456789abcdef";
    const std::string html = "<a href=\"doc:" + id + "#part-2\">a</a><a href='doc:" + id + "#caf%C3%A9'>b</a>" +
                             "<a href=\"doc:" + id + "#\">bare</a><a href=\"doc:" + id + "#x y\">blank</a>";
    EXPECT_EQ(ExtractDocLinkIds(html), (std::vector<std::string>{id, id, id}));
    EXPECT_EQ(ExtractDocLinks(html), (std::vector<TDocLink>{{id, "part-2"}, {id, "caf%C3%A9"}, {id, ""}}));
    const auto toPage = [](const std::string& AID) { return AID == "0123456789ABCDEF0123456789abcdef" ? AID + ".html" : ""; };
    EXPECT_EQ(RewriteDocLinks(html, toPage),
              "<a href=\"" + id + ".html#part-2\">a</a><a href=\"" + id + ".html#caf%C3%A9\">b</a>" +
                  "<a href=\"" + id + ".html\">bare</a><a href=\"doc:" + id + "#x y\">blank</a>");
    // An unresolved target gives "#", fragment or not.
    EXPECT_EQ(RewriteDocLinks("<a href=\"doc:" + std::string(32, 'e') + "#part\">", toPage), "<a href=\"#\">");
}

TEST(HtmlUtils, PercentDecodeKeepsMalformedEscapes) {
    const TTextCase cases[] = {
        {"caf%C3%a9", "caf\xC3\xA9"}, {"100%", "100%"}, {"%4", "%4"}, {"%zz%41", "%zzA"}, {"%%41", "%A"}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentDecode(c.Input), c.Expected) << c.Input;
}

TEST(HtmlUtils, AnchorsAreIdsOfAnyElementAndNamesOfLinksOnly) {
    const std::string html = "<h2 ID = 'intro'>x</h2><a name=\"old\" href=\"#\">o</a><input name=\"field\">"
                             "<p data-id=\"no\" title=\"id=no\" id=bare>y</p><A NAME='up'>u</A><br/>";
    EXPECT_EQ(ExtractAnchorNames(html), (std::vector<std::string>{"intro", "old", "bare", "up"}));
    const std::string renamed = RenameAnchors(html, [](std::string_view AName) {
        return AName == "intro" || AName == "up" ? "T-" + std::string(AName) : std::string();
    });
    EXPECT_EQ(renamed, "<h2 ID=\"T-intro\">x</h2><a name=\"old\" href=\"#\">o</a><input name=\"field\">"
                       "<p data-id=\"no\" title=\"id=no\" id=bare>y</p><A NAME=\"T-up\">u</A><br/>");
}

TEST(HtmlUtils, WhiteBackgroundsBecomeTransparentOnlyWhereTheColourEnds) {
    const TTextCase cases[] = {
        {"background-color: rgb(255, 255, 255);", "background-color: transparent;"},
        {"BACKGROUND-COLOR:#FFFFFF", "background-color: transparent"},
        {"background-color:#fffabc;background-color:#fff;", "background-color:#fffabc;background-color: transparent;"},
        {"background-color: whitesmoke", "background-color: whitesmoke"},
        {"background-color:  white", "background-color:  white"},            // two blanks: untouched
        {"background:rgb(255,255,255)", "background:rgb(255,255,255)"},       // no blanks: untouched
        {"background:#fff-x background:white\"", "background:#fff-x background: transparent\""},
        {"background: rgb(255, 255, 255) background:#ffffff", "background: transparent background: transparent"},
        {"background-color: #ffffff1", "background-color: #ffffff1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeWhiteBackgroundsTransparent(c.Input), c.Expected) << c.Input;
}

TEST(HtmlUtils, RebaseAssetLinksOnlyForTheExactSpelling) {
    EXPECT_EQ(RebaseAssetLinks("<img src=\"assets/images/a.png\"><a href=\"assets/files/b.pdf\">"),
              "<img src=\"../assets/images/a.png\"><a href=\"../assets/files/b.pdf\">");
    EXPECT_EQ(RebaseAssetLinks("<img src='assets/a.png'><IMG SRC=\"assets/a.png\"><img src = \"assets/a\">"),
              "<img src='assets/a.png'><IMG SRC=\"assets/a.png\"><img src = \"assets/a\">");
}

TEST(HtmlUtils, RebaseAssetLinksReachesImportedPicturesAndMedia) {
    EXPECT_EQ(RebaseAssetLinks("<video poster=\"assets/images/p.png\" src=\"assets/media/v.mp4\"></video>"
                               "<object data=\"assets/files/d.svg\"></object>"
                               "<img srcset=\"assets/images/a.png 1x, assets/images/b.png 2x,assets/c.png\">"
                               "<source srcset=\"http://x/assets/a.png, ../assets/b.png 2x\">"),
              "<video poster=\"../assets/images/p.png\" src=\"../assets/media/v.mp4\"></video>"
              "<object data=\"../assets/files/d.svg\"></object>"
              "<img srcset=\"../assets/images/a.png 1x, ../assets/images/b.png 2x,../assets/c.png\">"
              "<source srcset=\"http://x/assets/a.png, ../assets/b.png 2x\">");
}

}  // namespace
