// The single-byte Windows code pages a compiled help file can be written in: 1250 (Central
// European), 1251 (Cyrillic), 1252 (Western European), 1253 (Greek), 1254 (Turkish) and 1257
// (Baltic). The byte tables come from ICU's converters, except 1251, which keeps our own table
// (uCp1251, checked against ICU's by a test), so its output is the same as it always was.
//
// A byte that ICU maps to U+FFFD or to the C1 control of the same number is unassigned: nothing
// encodes to it, and C1 controls (U+0080..U+009F) are never representable. Invalid UTF-8 counts
// as U+FFFD. Objects are built once and never change; every member is thread-safe.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

// What a character the code page cannot represent becomes.
enum class TUnmappable {
    QuestionMark,   // "?"
    HtmlReference,  // "&#252;" (the code point's decimal number)
    CssEscape,      // "\FC " (hexadecimal, ended by a space)
    ScriptEscape,   // "\u00FC"; above U+FFFF the two escaped surrogates
};

class TWindowsCodePage {
public:
    // The code page with this number; raises EAppError for any number outside the six above.
    static const TWindowsCodePage& Get(int ACodePage);

    int Number() const { return FNumber; }
    // "windows-" + the number, the name pages and the contents file declare.
    std::string Charset() const { return "windows-" + std::to_string(FNumber); }

    // The byte for a code point, or -1 when the code page cannot represent it.
    int ByteOf(char32_t ACodePoint) const;
    bool CanEncode(char32_t ACodePoint) const { return ByteOf(ACodePoint) >= 0; }
    // Whether every character of the UTF-8 text can be encoded.
    bool CanEncodeAll(std::string_view AText) const;
    // How many characters of the UTF-8 text can be encoded.
    size_t CountEncodable(std::string_view AText) const;

    // UTF-8 text -> bytes; each character the code page cannot represent becomes what AAs
    // says, except C1 controls and U+FFFD (invalid UTF-8 included), which become "?" always.
    std::string Encode(std::string_view AText, TUnmappable AAs = TUnmappable::QuestionMark) const;
    // Bytes -> UTF-8; an unassigned byte gives U+FFFD.
    std::string Decode(std::string_view ABytes) const;

private:
    explicit TWindowsCodePage(int ANumber);
    int FNumber;
    std::array<char32_t, 128> FHighHalf{};              // code points of 0x80..0xFF, U+FFFD unassigned
    std::unordered_map<char32_t, unsigned char> FBytes;  // code point -> byte for 0x80..0xFF
};

// ICU's own mapping of the bytes 0x80..0xFF of "windows-<ACodePage>" (U+FFFD where ICU has
// none). Raises EAppError when ICU has no such converter. For the tables above and their tests.
std::array<char32_t, 128> IcuHighHalf(int ACodePage);

// Writes AText encoded with Encode ("?" for what the code page cannot represent), without
// byte-order mark, replacing the file atomically; failures name the file.
void WriteCodePageFile(const std::string& AFileName, const TWindowsCodePage& ACodePage, std::string_view AText);
