// Windows code page 1251 (Cyrillic), the code page of the compiled-help index and of projects
// whose titles it can show. The table is our own (a test checks it against ICU's); encoding and
// decoding go through TWindowsCodePage, which uses this table for 1251.
//
// Encoding works per Unicode code point: a code point the code page has no byte for (anything
// outside it, the unassigned position 0x98 included) becomes one "?" (0x3F), the code page's
// default replacement character. Invalid UTF-8 in the input counts as U+FFFD and so becomes "?"
// as well. Pure functions, thread-safe.
#pragma once

#include <string>
#include <string_view>

// The code point of a Windows-1251 byte; the unassigned byte 0x98 gives U+FFFD.
char32_t Cp1251CodePointOf(unsigned char AByte);

// UTF-8 text -> Windows-1251 bytes, unmappable characters as "?".
std::string Utf8ToCp1251(std::string_view AText);
// Windows-1251 bytes -> UTF-8 text.
std::string Cp1251ToUtf8(std::string_view ABytes);

// Writes AText encoded in Windows-1251 without byte-order mark, replacing the file atomically
// (WriteFileBytes). Failures are raised naming the file.
void WriteCp1251File(const std::string& AFileName, std::string_view AText);
