// Conversions between the core's UTF-8 text and the UTF-16 that ICU works on. Malformed UTF-8
// (a hand-edited file) becomes U+FFFD, never an error. Stateless and thread-safe.
#pragma once

#include <string>

std::u16string Utf8ToUtf16(const std::string& AText);
std::string Utf16ToUtf8(const std::u16string& AText);
