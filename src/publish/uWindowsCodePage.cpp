#include "uWindowsCodePage.h"

#include "uCp1251.h"
#include "uUtils.h"

#include <unicode/ucnv.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kCodePages[] = {1250, 1251, 1252, 1253, 1254, 1257};

bool IsC1Control(char32_t ACodePoint) { return ACodePoint >= 0x80 && ACodePoint <= 0x9F; }

}  // namespace

std::array<char32_t, 128> IcuHighHalf(int ACodePage) {
    const std::string name = "windows-" + std::to_string(ACodePage);
    UErrorCode err = U_ZERO_ERROR;
    std::unique_ptr<UConverter, void (*)(UConverter*)> conv(ucnv_open(name.c_str(), &err), ucnv_close);
    if (U_FAILURE(err) || !conv)
        throw EAppError("No converter for the code page " + name + ": " + u_errorName(err));
    std::array<char32_t, 128> out{};
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char byte = static_cast<char>(b);
        const char* src = &byte;
        UErrorCode e = U_ZERO_ERROR;
        ucnv_resetToUnicode(conv.get());
        const UChar32 cp = ucnv_getNextUChar(conv.get(), &src, src + 1, &e);
        out[b - 0x80] = U_SUCCESS(e) && cp >= 0 ? static_cast<char32_t>(cp) : U'\uFFFD';
    }
    return out;
}

TWindowsCodePage::TWindowsCodePage(int ANumber) : FNumber(ANumber) {
    if (ANumber == 1251) {
        for (int b = 0x80; b <= 0xFF; ++b)
            FHighHalf[b - 0x80] = Cp1251CodePointOf(static_cast<unsigned char>(b));
    } else {
        FHighHalf = IcuHighHalf(ANumber);
    }
    for (int b = 0x80; b <= 0xFF; ++b) {
        char32_t& cp = FHighHalf[b - 0x80];
        if (IsC1Control(cp))
            cp = U'\uFFFD';
        if (cp != U'\uFFFD')
            FBytes.emplace(cp, static_cast<unsigned char>(b));
    }
}

const TWindowsCodePage& TWindowsCodePage::Get(int ACodePage) {
    static const std::array<TWindowsCodePage, std::size(kCodePages)> all = [] {
        return std::array<TWindowsCodePage, std::size(kCodePages)>{
            TWindowsCodePage(kCodePages[0]), TWindowsCodePage(kCodePages[1]), TWindowsCodePage(kCodePages[2]),
            TWindowsCodePage(kCodePages[3]), TWindowsCodePage(kCodePages[4]), TWindowsCodePage(kCodePages[5])};
    }();
    for (const TWindowsCodePage& cp : all)
        if (cp.FNumber == ACodePage)
            return cp;
    throw EAppError("Unsupported code page: " + std::to_string(ACodePage));
}

int TWindowsCodePage::ByteOf(char32_t ACodePoint) const {
    if (ACodePoint < 0x80)
        return static_cast<int>(ACodePoint);
    const auto it = FBytes.find(ACodePoint);
    return it == FBytes.end() ? -1 : it->second;
}

bool TWindowsCodePage::CanEncodeAll(std::string_view AText) const {
    for (char32_t cp : Utf8ToCodePoints(AText))
        if (!CanEncode(cp))
            return false;
    return true;
}

size_t TWindowsCodePage::CountEncodable(std::string_view AText) const {
    size_t n = 0;
    for (char32_t cp : Utf8ToCodePoints(AText))
        n += CanEncode(cp) ? 1 : 0;
    return n;
}

namespace {

void AppendHex(std::string& AOut, unsigned long AValue, int AMinDigits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*lX", AMinDigits, AValue);
    AOut += buf;
}

void AppendUnmappable(std::string& AOut, char32_t ACodePoint, TUnmappable AAs) {
    if (AAs == TUnmappable::QuestionMark || IsC1Control(ACodePoint) || ACodePoint == U'\uFFFD') {
        AOut += '?';
    } else if (AAs == TUnmappable::HtmlReference) {
        AOut += "&#" + std::to_string(static_cast<unsigned long>(ACodePoint)) + ";";
    } else if (AAs == TUnmappable::CssEscape) {
        AOut += '\\';
        AppendHex(AOut, ACodePoint, 1);
        AOut += ' ';
    } else if (ACodePoint > 0xFFFF) {
        const char32_t v = ACodePoint - 0x10000;
        AOut += "\\u";
        AppendHex(AOut, 0xD800 + (v >> 10), 4);
        AOut += "\\u";
        AppendHex(AOut, 0xDC00 + (v & 0x3FF), 4);
    } else {
        AOut += "\\u";
        AppendHex(AOut, ACodePoint, 4);
    }
}

}  // namespace

std::string TWindowsCodePage::Encode(std::string_view AText, TUnmappable AAs) const {
    std::string out;
    out.reserve(AText.size());
    size_t i = 0;
    // ASCII runs are copied as they are; anything else goes through the shared decoder, so
    // invalid sequences count as U+FFFD everywhere.
    while (i < AText.size()) {
        const unsigned char c = static_cast<unsigned char>(AText[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < AText.size() && (static_cast<unsigned char>(AText[j]) & 0xC0) == 0x80)
            ++j;
        for (char32_t cp : Utf8ToCodePoints(AText.substr(i, j - i))) {
            const int b = ByteOf(cp);
            if (b >= 0)
                out += static_cast<char>(b);
            else
                AppendUnmappable(out, cp, AAs);
        }
        i = j;
    }
    return out;
}

std::string TWindowsCodePage::Decode(std::string_view ABytes) const {
    std::string out;
    out.reserve(ABytes.size() * 2);
    for (char ch : ABytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        AppendUtf8(out, b < 0x80 ? char32_t(b) : FHighHalf[b - 0x80]);
    }
    return out;
}

void WriteCodePageFile(const std::string& AFileName, const TWindowsCodePage& ACodePage, std::string_view AText) {
    WriteFileBytes(AFileName, ACodePage.Encode(AText));
}
