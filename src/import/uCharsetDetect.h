// The character set of an HTML page read from disk, chosen the way a browser chooses it: a
// byte-order mark, else a valid declaration near the start (<meta charset>, an http-equiv
// Content-Type, the XML declaration) with its label mapped as browsers map labels (latin1,
// iso-8859-1 and ascii mean windows-1252; a declared UTF-16 means UTF-8), else UTF-8 when the
// bytes are valid UTF-8, else windows-1252. Windows-1252's five unassigned bytes 0x81, 0x8D,
// 0x8F, 0x90 and 0x9D become U+0081 and so on. Other character sets are decoded with ICU.
// Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>

enum class TCharsetSource { ByteOrderMark, Declaration, ValidUtf8, Fallback };

struct TDecodedPage {
    std::string Text;     // UTF-8, without byte-order mark; invalid input became U+FFFD
    std::string Charset;  // the canonical name, e.g. "utf-8", "windows-1252", "shift_jis"
    TCharsetSource Source = TCharsetSource::Fallback;
};

// Decodes the bytes of a page.
TDecodedPage DecodeHtmlBytes(std::string_view ABytes);

// The canonical name a declared label stands for ("latin1" -> "windows-1252"), or empty text for
// a label browsers do not know. Blanks around the label and ASCII case do not matter.
std::string CanonicalCharsetLabel(std::string_view ALabel);

// The label the page declares in its first 1024 bytes (meta charset, http-equiv Content-Type)
// or in an XML declaration at its start; empty when there is none. Not yet mapped.
std::string DeclaredCharsetLabel(std::string_view ABytes);
