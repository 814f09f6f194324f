#include "uColors.h"

#include <gtest/gtest.h>

TEST(Colors, ColorToHexWritesRedGreenBlueFromTheLowByteUp) {
    const std::pair<TColor, const char*> cases[] = {
        {0x000000, "#000000"}, {0xFF0000, "#0000FF"}, {0x0000FF, "#FF0000"}, {0xF5EFE7, "#E7EFF5"},
        {0x123456, "#563412"}, {0x00ABCDEF, "#EFCDAB"},
        {0x1FFFFFFF, "#FFFFFF"},  // a positive value with a high byte: only the three colour bytes count
    };
    for (const auto& [c, want] : cases)
        EXPECT_EQ(ColorToHex(c), want);
}

TEST(Colors, SystemColoursAreResolvedBeforeTheyBecomeText) {
    EXPECT_EQ(ColorToHex(clSysWindow), "#FFFFFF");
    EXPECT_EQ(ColorToHex(clSysWindowText), "#000000");
    EXPECT_EQ(ColorToHex(clSysHighlight), "#0078D7");
    EXPECT_EQ(ColorToHex(clSysBtnFace), "#F0F0F0");
    EXPECT_EQ(ColorToHex(SystemColor(200)), "#000000");  // unknown index

    // The desktop shell's palette replaces the built-in one; clearing it restores the built-in.
    SetSystemColorResolver([](int AIndex) { return AIndex == 5 ? TColor(0x202122) : TColor(0x7FFFFFFF); });
    EXPECT_EQ(ColorToHex(clSysWindow), "#222120");
    EXPECT_EQ(ColorToRgb(clSysWindow), 0x202122);
    EXPECT_EQ(ColorToRgb(SystemColor(1)), 0xFFFFFF);  // the resolver's high byte is dropped
    EXPECT_EQ(ColorToHex(0x0000FF), "#FF0000");      // ordinary colours never reach it
    SetSystemColorResolver(nullptr);
    EXPECT_EQ(ColorToHex(clSysWindow), "#FFFFFF");
}

TEST(Colors, HexToColorAndHtmlToColorReadColourText) {
    const TColor fb = 0x010203;
    struct Case { const char* text; TColor hex; TColor html; };
    const Case cases[] = {
        {"#00ff00", 0x00FF00, 0x00FF00},
        {"#0000FF", 0xFF0000, 0xFF0000},
        {" \t#112233\r\n", 0x332211, 0x332211},
        {"#aBcDeF", 0xEFCDAB, 0xEFCDAB},
        {"0000FF", fb, fb},
        {"#00F", fb, fb},
        {"#GG0000", fb, fb},
        {"#-12345", fb, fb},
        {"#+12345", fb, fb},
        {"# 12345", fb, fb},
        {"#1234567", fb, fb},
        {"red", fb, fb},
        {"", fb, 0xFFFFFF},
        {"   ", fb, 0xFFFFFF},
        {" Transparent ", fb, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(HexToColor(c.text, fb), c.hex);
        EXPECT_EQ(HtmlToColor(c.text, fb), c.html);
    }
    EXPECT_EQ(ColorToHtml(0xF5EFE7), ColorToHex(0xF5EFE7));
    EXPECT_EQ(ColorToHtml(clSysHighlight), "#0078D7");
}
