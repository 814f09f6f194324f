#include "uColors.h"

#include "uUtils.h"

#include <array>

namespace {

// Colour value from the usual red, green, blue notation.
constexpr TColor Rgb(uint32_t ARgb) {
    return static_cast<TColor>(((ARgb & 0xFF) << 16) | (ARgb & 0xFF00) | ((ARgb >> 16) & 0xFF));
}

// The light desktop palette, by system colour index.
constexpr std::array<TColor, 31> kBuiltInPalette = {
    Rgb(0xC8C8C8),  //  0 scroll bar
    Rgb(0x000000),  //  1 desktop
    Rgb(0x99B4D1),  //  2 active caption
    Rgb(0xBFCDDB),  //  3 inactive caption
    Rgb(0xF0F0F0),  //  4 menu
    Rgb(0xFFFFFF),  //  5 window
    Rgb(0x646464),  //  6 window frame
    Rgb(0x000000),  //  7 menu text
    Rgb(0x000000),  //  8 window text
    Rgb(0x000000),  //  9 caption text
    Rgb(0xB4B4B4),  // 10 active border
    Rgb(0xF4F7FC),  // 11 inactive border
    Rgb(0xABABAB),  // 12 application workspace
    Rgb(0x0078D7),  // 13 highlight
    Rgb(0xFFFFFF),  // 14 highlight text
    Rgb(0xF0F0F0),  // 15 button face
    Rgb(0xA0A0A0),  // 16 button shadow
    Rgb(0x6D6D6D),  // 17 grey text
    Rgb(0x000000),  // 18 button text
    Rgb(0x000000),  // 19 inactive caption text
    Rgb(0xFFFFFF),  // 20 button highlight
    Rgb(0x696969),  // 21 3-D dark shadow
    Rgb(0xE3E3E3),  // 22 3-D light
    Rgb(0x000000),  // 23 tooltip text
    Rgb(0xFFFFE1),  // 24 tooltip background
    Rgb(0x000000),  // 25 (unused)
    Rgb(0x0066CC),  // 26 hot-tracked item
    Rgb(0xB9D1EA),  // 27 active caption gradient
    Rgb(0xD7E4F2),  // 28 inactive caption gradient
    Rgb(0x3399FF),  // 29 menu highlight
    Rgb(0xF0F0F0),  // 30 menu bar
};

TSystemColorResolver& Resolver() {
    static TSystemColorResolver resolver;
    return resolver;
}

}  // namespace

void SetSystemColorResolver(TSystemColorResolver AResolver) { Resolver() = std::move(AResolver); }

TColor BuiltInSystemColor(int AIndex) {
    if (AIndex < 0 || AIndex >= static_cast<int>(kBuiltInPalette.size()))
        return 0;
    return kBuiltInPalette[static_cast<size_t>(AIndex)];
}

TColor ColorToRgb(TColor AColor) {
    if (!IsSystemColor(AColor))
        return AColor;
    const int index = static_cast<int>(static_cast<uint32_t>(AColor) & 0xFFu);
    const TColor value = Resolver() ? Resolver()(index) : BuiltInSystemColor(index);
    return value & 0xFFFFFF;  // a resolver must not hand back another reference
}

std::string ColorToHex(TColor AColor) {
    static const char kHex[] = "0123456789ABCDEF";
    const uint32_t v = static_cast<uint32_t>(ColorToRgb(AColor));
    const uint8_t bytes[3] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16)};
    std::string out = "#";
    for (uint8_t b : bytes) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0xF]);
    }
    return out;
}

TColor HexToColor(std::string_view AText, TColor AFallback) {
    const std::string s = Trim(AText);
    if (s.size() != 7 || s[0] != '#')
        return AFallback;
    uint32_t n = 0;
    for (size_t i = 1; i < 7; ++i) {
        const int d = HexDigitValue(s[i]);
        if (d < 0)
            return AFallback;
        n = (n << 4) | static_cast<uint32_t>(d);
    }
    return Rgb(n);
}

std::string ColorToHtml(TColor AColor) { return ColorToHex(AColor); }

TColor HtmlToColor(std::string_view AText, TColor AFallback) {
    const std::string s = Trim(AText);
    if (s.empty() || SameText(s, "transparent"))
        return 0xFFFFFF;
    return HexToColor(s, AFallback);
}
