#include "uCp1251.h"

#include "uUtils.h"

#include <array>

namespace {

// Code points of the bytes 0x80..0xFF; 0 marks the one unassigned byte (0x98). 0xC0..0xFF are
// the contiguous block U+0410..U+044F.
constexpr std::array<char16_t, 64> HighHalf = {
    // 0x80
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    // 0x90
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    // 0xA0
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    // 0xB0
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

}  // namespace

int Cp1251ByteOf(char32_t ACodePoint) {
    if (ACodePoint < 0x80)
        return static_cast<int>(ACodePoint);
    if (ACodePoint >= 0x0410 && ACodePoint <= 0x044F)
        return static_cast<int>(ACodePoint - 0x0410 + 0xC0);
    for (size_t i = 0; i < HighHalf.size(); ++i)
        if (HighHalf[i] != 0 && HighHalf[i] == ACodePoint)
            return static_cast<int>(0x80 + i);
    return -1;
}

char32_t Cp1251CodePointOf(unsigned char AByte) {
    if (AByte < 0x80)
        return AByte;
    if (AByte >= 0xC0)
        return 0x0410 + (AByte - 0xC0);
    char16_t cp = HighHalf[AByte - 0x80];
    return cp ? cp : 0xFFFD;
}

std::string Utf8ToCp1251(std::string_view AText) {
    std::string out;
    out.reserve(AText.size());
    size_t i = 0;
    // ASCII runs are copied directly; everything else goes through the decoder one code point
    // at a time so invalid sequences are handled exactly like Utf8ToCodePoints does.
    while (i < AText.size()) {
        unsigned char c = static_cast<unsigned char>(AText[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < AText.size() && (static_cast<unsigned char>(AText[j]) & 0xC0) == 0x80)
            ++j;
        for (char32_t cp : Utf8ToCodePoints(AText.substr(i, j - i))) {
            int b = Cp1251ByteOf(cp);
            out += b < 0 ? '?' : static_cast<char>(b);
        }
        i = j;
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view ABytes) {
    std::string out;
    out.reserve(ABytes.size() * 2);
    for (char ch : ABytes)
        AppendUtf8(out, Cp1251CodePointOf(static_cast<unsigned char>(ch)));
    return out;
}

void WriteCp1251File(const std::string& AFileName, std::string_view AText) {
    WriteFileBytes(AFileName, Utf8ToCp1251(AText));
}
