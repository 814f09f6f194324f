#include "uCp1251.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

// Every assigned byte 0x80..0xFF (0x98 left out) as UTF-8, taken from an independent codec.
const char* const kHighHalfUtf8 =
    "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
    "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя";

std::string HighHalfBytes() {
    std::string s;
    for (int b = 0x80; b <= 0xFF; ++b)
        if (b != 0x98)
            s += static_cast<char>(b);
    return s;
}

}  // namespace

TEST(Cp1251, EncodesEveryAssignedByteOfTheCodePage) {
    EXPECT_EQ(Utf8ToCp1251(kHighHalfUtf8), HighHalfBytes());
    EXPECT_EQ(Cp1251ToUtf8(HighHalfBytes()), kHighHalfUtf8);
    std::string ascii;
    for (int c = 0; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1251(ascii), ascii);
    EXPECT_EQ(Cp1251ToUtf8(ascii), ascii);
}

TEST(Cp1251, UnmappableCharactersBecomeOneQuestionMarkEach) {
    struct Case { const char* in; const char* out; } cases[] = {
        {"Привет", "\xCF\xF0\xE8\xE2\xE5\xF2"},
        {"Café ñ", "Caf? ?"},                        // Latin-1 letters are not in the code page
        {"日本語", "???"},
        {"a\U0001F600b", "a?b"},                     // one astral character, one mark
        {"\xC2\x98", "?"},                           // U+0098 has no byte (0x98 is unassigned)
        {"x\xFFy", "x?y"},                           // invalid UTF-8
        {"Ω≈ё", "??\xB8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToCp1251(c.in), c.out) << c.in;
    EXPECT_EQ(Cp1251CodePointOf(0x98), U'\uFFFD');
}

TEST(Cp1251, WritesTheFileWithoutByteOrderMark) {
    TTempDir dir;
    WriteCp1251File(dir / "sub/a.txt", "Ёж\r\n");
    EXPECT_EQ(GetFile(dir / "sub/a.txt"), "\xA8\xE6\r\n");
}
