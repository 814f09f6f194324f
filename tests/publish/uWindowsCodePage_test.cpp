#include "uWindowsCodePage.h"

#include "uChmLanguage.h"
#include "uCp1251.h"
#include "uUtils.h"

#include <gtest/gtest.h>

TEST(WindowsCodePage, OurCyrillicTableIsIcusWithItsUnassignedByteLeftUnassigned) {
    const std::array<char32_t, 128> icu = IcuHighHalf(1251);
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char32_t ours = Cp1251CodePointOf(static_cast<unsigned char>(b));
        // ICU gives an unassigned byte the C1 control of the same number.
        const char32_t expected = b < 0xA0 && icu[b - 0x80] == char32_t(b) ? U'\uFFFD' : icu[b - 0x80];
        EXPECT_EQ(ours, expected) << std::hex << b;
    }
    EXPECT_EQ(Cp1251CodePointOf(0x98), U'\uFFFD');
}

TEST(WindowsCodePage, EveryAssignedByteRoundTripsAndUnassignedOnesStayUnused) {
    for (int number : ChmCodePageOrder()) {
        const TWindowsCodePage& cp = TWindowsCodePage::Get(number);
        EXPECT_EQ(cp.Charset(), "windows-" + std::to_string(number));
        int assigned = 0;
        for (int b = 0; b <= 0xFF; ++b) {
            const std::string byte(1, static_cast<char>(b));
            const std::string text = cp.Decode(byte);
            if (text == "\uFFFD")
                continue;
            ++assigned;
            EXPECT_EQ(cp.Encode(text), byte) << number << " byte " << b;
        }
        EXPECT_GE(assigned, 128 + 110) << number;  // ASCII and nearly all of the upper half
        for (char32_t c1 = 0x80; c1 <= 0x9F; ++c1)
            EXPECT_FALSE(cp.CanEncode(c1)) << number;
    }
}

TEST(WindowsCodePage, WhatTheCodePageLacksBecomesAReferenceAnEscapeOrAQuestionMark) {
    struct Case { int cp; const char* text; const char* html; const char* plain; const char* css; const char* script; } cases[] = {
        {1252, "Grüße, 5 € – café", "Gr\xFC\xDF" "e, 5 \x80 \x96 caf\xE9", "Gr\xFC\xDF" "e, 5 \x80 \x96 caf\xE9",
         "Gr\xFC\xDF" "e, 5 \x80 \x96 caf\xE9", "Gr\xFC\xDF" "e, 5 \x80 \x96 caf\xE9"},
        {1251, "Grüße ёж", "Gr&#252;&#223;e \xB8\xE6", "Gr??e \xB8\xE6", "Gr\\FC \\DF e \xB8\xE6",
         "Gr\\u00FC\\u00DF" "e \xB8\xE6"},
        {1250, "Łódź ß", "\xA3\xF3" "d\x9F \xDF", "\xA3\xF3" "d\x9F \xDF", "\xA3\xF3" "d\x9F \xDF", "\xA3\xF3" "d\x9F \xDF"},
        {1253, "Ωμέγα ü", "\xD9\xEC\xDD\xE3\xE1 &#252;", "\xD9\xEC\xDD\xE3\xE1 ?", "\xD9\xEC\xDD\xE3\xE1 \\FC ",
         "\xD9\xEC\xDD\xE3\xE1 \\u00FC"},
        {1254, "İğne", "\xDD\xF0ne", "\xDD\xF0ne", "\xDD\xF0ne", "\xDD\xF0ne"},
        {1257, "Ąžuolas 日", "\xC0\xFEuolas &#26085;", "\xC0\xFEuolas ?", "\xC0\xFEuolas \\65E5 ", "\xC0\xFEuolas \\u65E5"},
        // an astral character is one reference, one CSS escape, two escaped surrogates
        {1252, "a\U0001F600b", "a&#128512;b", "a?b", "a\\1F600 b", "a\\uD83D\\uDE00b"},
        // C1 control and invalid UTF-8: nothing can refer to them
        {1252, "x\xC2\x98y\xFFz", "x?y?z", "x?y?z", "x?y?z", "x?y?z"},
        {1252, "&amp; <b>", "&amp; <b>", "&amp; <b>", "&amp; <b>", "&amp; <b>"},  // ASCII as it is
    };
    for (const auto& c : cases) {
        const TWindowsCodePage& cp = TWindowsCodePage::Get(c.cp);
        EXPECT_EQ(cp.Encode(c.text, TUnmappable::HtmlReference), c.html) << c.cp << " " << c.text;
        EXPECT_EQ(cp.Encode(c.text), c.plain) << c.cp << " " << c.text;
        EXPECT_EQ(cp.Encode(c.text, TUnmappable::CssEscape), c.css) << c.cp << " " << c.text;
        EXPECT_EQ(cp.Encode(c.text, TUnmappable::ScriptEscape), c.script) << c.cp << " " << c.text;
    }
    EXPECT_THROW(TWindowsCodePage::Get(1258), EAppError);
}
