#include "uEditorText.h"

#include <gtest/gtest.h>

TEST(EditorText, HtmlTextContentSkipsTagsAndDecodesInOrder) {
    struct { const char* html; const char* text; } cases[] = {
        {"<b>A &amp; B</b>", "A & B"},
        {"a &amp;lt; b", "a < b"},  // &amp; is decoded before &lt;
        {"<p>&NBSP;x&#160;</p>", "x"},
        {"x > y <i>z</i>", "x  y z"},  // a stray ">" is dropped
        {"&QUOT;q&quot; &#39;s&#39;", "\"q\" 's'"},
        {"  <p>\r\n caf\xC3\xA9 \r\n</p>  ", "caf\xC3\xA9"},
        {"<unclosed tag text", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlTextContent(c.html), c.text) << c.html;
}

TEST(EditorText, EffectivelyEmpty) {
    struct { const char* html; bool empty; } cases[] = {
        {"<p style=\"x\"><br></p>", true},
        {"<p>&nbsp;</p>", true},
        {"", true},
        {"<hr>", true},
        {"<p>\xC2\xA0\t</p>\r\n<p> </p>", true},
        {"<p style=\"font-family:Segoe UI, Arial, sans-serif;font-size:16px;color:#000000;line-height:1.5;\"><br></p>", true},
        {"<p><img src=\"a.png\"></p>", false},
        {"<P><IMG SRC=x></P>", false},
        {"<table><tr><td></td></tr></table>", false},
        {"<video></video>", false},
        {"<iframe src=x></iframe>", false},
        {"<p>x</p>", false},
        {"<p>&amp;</p>", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsHtmlEffectivelyEmpty(c.html), c.empty) << c.html;
}

TEST(EditorText, DefaultHeader) {
    const char* generated = "<div style=\"font-size:16px;font-family:Segoe UI, Arial, sans-serif;color:#000000;\"><b>A&lt;B</b></div>";
    EXPECT_TRUE(IsDefaultHeader(generated, " a<b ", "Manual"));
    EXPECT_TRUE(IsDefaultHeader("<b>MANUAL</b>", "Topic", " Manual "));
    EXPECT_FALSE(IsDefaultHeader("<b>Other</b>", "Topic", "Manual"));
    EXPECT_FALSE(IsDefaultHeader("<b>Topic</b><img src=logo.png>", "Topic", "Manual"));
    EXPECT_FALSE(IsDefaultHeader("<A href=\"x\">Topic</A>", "Topic", "Manual"));
    EXPECT_TRUE(IsDefaultHeader("<abbr>Topic</abbr>", "Topic", "Manual"));  // "<a " needs its blank
    EXPECT_FALSE(IsDefaultHeader("<table><tr><td>Topic</td></tr></table>", "Topic", ""));
    EXPECT_TRUE(IsDefaultHeader("", "", "Manual"));
}
