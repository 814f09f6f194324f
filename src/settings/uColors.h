// Colour values and colour text, shared by the settings, the style-sheet overrides, the header
// files and the main window's toolbar.
//
// A colour value is a 32-bit signed integer with red in the lowest byte, green in the next and
// blue in the third; an ordinary colour has a zero high byte (pure blue is 0xFF0000). A negative
// value refers to a platform system colour: 0xFF000000 or'ed with the system colour index (the
// index is the lowest byte). Colour text is "#" and six upper-case hexadecimal digits in red,
// green, blue order.
//
// The system colours come from a resolver. The core has built-in values (the usual light
// desktop palette); the desktop shell may install its own from the platform palette. The
// resolver is global state: set it once at start-up on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

using TColor = int32_t;

// The system colour reference for a system colour index.
constexpr TColor SystemColor(int AIndex) {
    return static_cast<TColor>(0xFF000000u | (static_cast<uint32_t>(AIndex) & 0xFFu));
}
constexpr bool IsSystemColor(TColor AColor) { return AColor < 0; }

// Some system colour references by their usual names (indices of the platform palette).
inline constexpr TColor clSysWindow = SystemColor(5);
inline constexpr TColor clSysWindowText = SystemColor(8);
inline constexpr TColor clSysBtnFace = SystemColor(15);
inline constexpr TColor clSysHighlight = SystemColor(13);
inline constexpr TColor clSysHighlightText = SystemColor(14);
inline constexpr TColor clSysGrayText = SystemColor(17);

// Given a system colour index (0..255), returns its current colour value (red lowest byte).
using TSystemColorResolver = std::function<TColor(int AIndex)>;

// Installs the resolver used by ColorToRgb; an empty function restores the built-in values.
void SetSystemColorResolver(TSystemColorResolver AResolver);
// The built-in value of a system colour index; unknown indices give black.
TColor BuiltInSystemColor(int AIndex);

// A system colour reference resolved to its current red, green and blue; an ordinary colour is
// returned as it is.
TColor ColorToRgb(TColor AColor);

// Colour text of a colour value (system colours resolved first): "#RRGGBB", upper case.
std::string ColorToHex(TColor AColor);
// The colour value of colour text: the text is trimmed, must then be "#" and exactly six
// hexadecimal digits (either case); anything else gives AFallback. The high byte is zero.
TColor HexToColor(std::string_view AText, TColor AFallback);

// The main window's forms of the same conversions. ColorToHtml gives exactly ColorToHex's text.
// HtmlToColor differs from HexToColor only in that empty text and "transparent" (any case)
// give white.
std::string ColorToHtml(TColor AColor);
TColor HtmlToColor(std::string_view AText, TColor AFallback);
