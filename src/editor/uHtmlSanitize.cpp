#include "uHtmlSanitize.h"

#include "uUtils.h"

#include <vector>

namespace {

bool IsHtmlSpace(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f'; }
bool IsAsciiLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }

// An attribute value the way a browser takes an address from it.
std::string NormalizedAddress(std::string_view AValue) {
    std::string s;
    for (char c : DecodeAttributeValue(AValue))
        if (c != '\t' && c != '\n' && c != '\r')
            s += c;
    size_t start = 0;
    while (start < s.size() && static_cast<unsigned char>(s[start]) <= 0x20)
        ++start;
    return LowerAscii(std::string_view(s).substr(start));
}

bool IsScriptAddress(std::string_view AValue) {
    const std::string a = NormalizedAddress(AValue);
    return StartsWith(a, "javascript:") || StartsWith(a, "vbscript:");
}

bool IsHtmlDataAddress(std::string_view AValue) {
    const std::string a = NormalizedAddress(AValue);
    if (!StartsWith(a, "data:"))
        return false;
    size_t p = 5;
    while (p < a.size() && IsHtmlSpace(a[p]))
        ++p;
    return StartsWith(std::string_view(a).substr(p), "text/html");
}

bool IsAddressAttribute(const std::string& AName) {
    return AName == "href" || AName == "src" || AName == "action" || AName == "formaction" || AName == "xlink:href";
}

bool IsFrameElement(const std::string& ATag) { return ATag == "iframe" || ATag == "object" || ATag == "embed"; }

bool IsHostileAttribute(const std::string& ATag, const std::string& AName, std::string_view AValue) {
    if (StartsWith(AName, "on") || AName == "srcdoc")
        return true;
    // Every address this looks for has a scheme: a ":", written out or as a reference.
    if (AValue.find_first_of(":&") == std::string_view::npos)
        return false;
    if (IsAddressAttribute(AName) && IsScriptAddress(AValue))
        return true;
    return IsFrameElement(ATag) && IsHtmlDataAddress(AValue);
}

struct TSpan {
    size_t Start, End;
};

// Reads the start tag at AHtml[ALt] ("<" and a letter) up to and including its ">" (or to the
// end of the text), collecting the spans of hostile attributes with the blanks before them.
// Returns the position after the tag.
size_t ScanStartTag(std::string_view AHtml, size_t ALt, std::string& ATagName, std::vector<TSpan>& ADrops) {
    const size_t n = AHtml.size();
    size_t j = ALt + 1;
    while (j < n && !IsHtmlSpace(AHtml[j]) && AHtml[j] != '/' && AHtml[j] != '>')
        ++j;
    ATagName = LowerAscii(AHtml.substr(ALt + 1, j - ALt - 1));
    while (true) {
        const size_t gap = j;
        while (j < n && (IsHtmlSpace(AHtml[j]) || AHtml[j] == '/'))
            ++j;
        if (j >= n)
            return n;
        if (AHtml[j] == '>')
            return j + 1;
        const size_t nameStart = j++;  // a first "=" belongs to the name
        while (j < n && !IsHtmlSpace(AHtml[j]) && AHtml[j] != '/' && AHtml[j] != '>' && AHtml[j] != '=')
            ++j;
        const std::string name = LowerAscii(AHtml.substr(nameStart, j - nameStart));
        std::string_view value;
        size_t k = j;
        while (k < n && IsHtmlSpace(AHtml[k]))
            ++k;
        if (k < n && AHtml[k] == '=') {
            ++k;
            while (k < n && IsHtmlSpace(AHtml[k]))
                ++k;
            if (k < n && (AHtml[k] == '"' || AHtml[k] == '\'')) {
                const size_t close = AHtml.find(AHtml[k], k + 1);
                const size_t end = close == std::string_view::npos ? n : close;
                value = AHtml.substr(k + 1, end - k - 1);
                j = end == n ? n : end + 1;
            } else {
                const size_t start = k;
                while (k < n && !IsHtmlSpace(AHtml[k]) && AHtml[k] != '>')
                    ++k;
                value = AHtml.substr(start, k - start);
                j = k;
            }
        }
        if (IsHostileAttribute(ATagName, name, value))
            ADrops.push_back({gap, j});
    }
}

bool ReadReference(std::string_view AText, size_t& AIndex, std::string& AOut) {
    static const struct {
        const char* Name;
        char32_t CodePoint;
    } kNamed[] = {{"amp;", '&'},  {"lt;", '<'},  {"gt;", '>'},   {"quot;", '"'}, {"apos;", '\''}, {"nbsp;", 0xA0},
                  {"AMP;", '&'},  {"LT;", '<'},  {"GT;", '>'},   {"QUOT;", '"'}};
    const std::string_view rest = AText.substr(AIndex + 1);
    if (rest.empty())
        return false;
    if (rest[0] != '#') {
        for (const auto& r : kNamed) {
            if (StartsWith(rest, r.Name)) {
                AppendUtf8(AOut, r.CodePoint);
                AIndex += 1 + std::char_traits<char>::length(r.Name);
                return true;
            }
        }
        return false;
    }
    const bool hex = rest.size() > 1 && (rest[1] == 'x' || rest[1] == 'X');
    size_t p = hex ? 2 : 1;
    const size_t digitsStart = p;
    unsigned long value = 0;
    for (; p < rest.size(); ++p) {
        const int d = HexDigitValue(rest[p]);
        if (d < 0 || (!hex && d > 9))
            break;
        if (value <= 0x10FFFF)
            value = value * (hex ? 16 : 10) + static_cast<unsigned long>(d);
    }
    if (p == digitsStart || p >= rest.size() || rest[p] != ';')
        return false;
    const bool scalar = value > 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    AppendUtf8(AOut, scalar ? static_cast<char32_t>(value) : 0xFFFD);
    AIndex += 1 + p + 1;
    return true;
}

}  // namespace

std::string StripHostileMarkup(std::string_view AHtml) {
    std::string out;
    out.reserve(AHtml.size());
    size_t i = 0;
    std::string tagName;
    std::vector<TSpan> drops;
    while (i < AHtml.size()) {
        const size_t lt = AHtml.find('<', i);
        if (lt == std::string_view::npos || lt + 1 >= AHtml.size()) {
            out.append(AHtml.substr(i));
            break;
        }
        out.append(AHtml.substr(i, lt - i));
        if (!IsAsciiLetter(AHtml[lt + 1])) {
            out += '<';
            i = lt + 1;
            continue;
        }
        drops.clear();
        const size_t end = ScanStartTag(AHtml, lt, tagName, drops);
        if (tagName != "base") {
            size_t copied = lt;
            for (const TSpan& d : drops) {
                out.append(AHtml.substr(copied, d.Start - copied));
                copied = d.End;
            }
            out.append(AHtml.substr(copied, end - copied));
        }
        i = end;
    }
    return out;
}

std::string DecodeAttributeValue(std::string_view AValue) {
    if (AValue.find('&') == std::string_view::npos)
        return std::string(AValue);
    std::string out;
    out.reserve(AValue.size());
    for (size_t i = 0; i < AValue.size();) {
        if (AValue[i] == '&' && ReadReference(AValue, i, out))
            continue;
        out += AValue[i++];
    }
    return out;
}
