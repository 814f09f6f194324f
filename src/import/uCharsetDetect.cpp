#include "uCharsetDetect.h"

#include "uAssetPaths.h"
#include "uUtils.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <map>
#include <memory>
#include <vector>

namespace {

// Labels and the encodings they name, as browsers read them.
const std::map<std::string, std::string>& LabelTable() {
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> t;
        auto add = [&](const char* AName, std::initializer_list<const char*> ALabels) {
            t[AName] = AName;
            for (const char* l : ALabels)
                t[l] = AName;
        };
        add("utf-8", {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf8", "x-unicode20utf8"});
        add("windows-1252", {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1",
                             "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1",
                             "us-ascii", "x-cp1252", "x-user-defined"});
        add("ibm866", {"866", "cp866", "csibm866"});
        add("iso-8859-2", {"csisolatin2", "iso-ir-101", "iso8859-2", "iso88592", "iso_8859-2", "iso_8859-2:1987", "l2", "latin2"});
        add("iso-8859-3", {"csisolatin3", "iso-ir-109", "iso8859-3", "iso88593", "iso_8859-3", "iso_8859-3:1988", "l3", "latin3"});
        add("iso-8859-4", {"csisolatin4", "iso-ir-110", "iso8859-4", "iso88594", "iso_8859-4", "iso_8859-4:1988", "l4", "latin4"});
        add("iso-8859-5", {"csisolatincyrillic", "cyrillic", "iso-ir-144", "iso8859-5", "iso88595", "iso_8859-5", "iso_8859-5:1988"});
        add("iso-8859-6", {"arabic", "asmo-708", "csiso88596e", "csiso88596i", "csisolatinarabic", "ecma-114", "iso-8859-6-e",
                           "iso-8859-6-i", "iso-ir-127", "iso8859-6", "iso88596", "iso_8859-6", "iso_8859-6:1987"});
        add("iso-8859-7", {"csisolatingreek", "ecma-118", "elot_928", "greek", "greek8", "iso-ir-126", "iso8859-7",
                           "iso88597", "iso_8859-7", "iso_8859-7:1987", "sun_eu_greek"});
        add("iso-8859-8", {"csiso88598e", "csisolatinhebrew", "hebrew", "iso-8859-8-e", "iso-ir-138", "iso8859-8",
                           "iso88598", "iso_8859-8", "iso_8859-8:1988", "visual", "iso-8859-8-i", "csiso88598i", "logical"});
        add("iso-8859-10", {"csisolatin6", "iso-ir-157", "iso8859-10", "iso885910", "l6", "latin6"});
        add("iso-8859-13", {"iso8859-13", "iso885913"});
        add("iso-8859-14", {"iso8859-14", "iso885914"});
        add("iso-8859-15", {"csisolatin9", "iso8859-15", "iso885915", "iso_8859-15", "l9"});
        add("iso-8859-16", {});
        add("koi8-r", {"cskoi8r", "koi", "koi8", "koi8_r"});
        add("koi8-u", {"koi8-ru"});
        add("macintosh", {"csmacintosh", "mac", "x-mac-roman"});
        add("windows-874", {"dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620"});
        add("windows-1250", {"cp1250", "x-cp1250"});
        add("windows-1251", {"cp1251", "x-cp1251"});
        add("windows-1253", {"cp1253", "x-cp1253"});
        add("windows-1254", {"cp1254", "csisolatin5", "iso-8859-9", "iso-ir-148", "iso8859-9", "iso88599", "iso_8859-9",
                             "iso_8859-9:1989", "l5", "latin5", "x-cp1254"});
        add("windows-1255", {"cp1255", "x-cp1255"});
        add("windows-1256", {"cp1256", "x-cp1256"});
        add("windows-1257", {"cp1257", "x-cp1257"});
        add("windows-1258", {"cp1258", "x-cp1258"});
        add("gbk", {"chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "iso-ir-58", "x-gbk"});
        add("gb18030", {});
        add("big5", {"big5-hkscs", "cn-big5", "csbig5", "x-x-big5"});
        add("euc-jp", {"cseucpkdfmtjapanese", "x-euc-jp"});
        add("iso-2022-jp", {"csiso2022jp"});
        add("shift_jis", {"csshiftjis", "ms932", "ms_kanji", "shift-jis", "sjis", "windows-31j", "x-sjis"});
        add("euc-kr", {"cseuckr", "csksc56011987", "iso-ir-149", "korean", "ks_c_5601-1987", "ks_c_5601-1989", "ksc5601",
                       "ksc_5601", "windows-949"});
        // A page cannot declare itself UTF-16 in bytes that are read as ASCII: browsers take UTF-8.
        for (const char* l : {"utf-16", "utf-16le", "utf-16be", "csunicode", "iso-10646-ucs-2", "ucs-2", "unicode",
                              "unicodefeff", "unicodefffe"})
            t[l] = "utf-8";
        return t;
    }();
    return table;
}

bool IsHtmlSpace(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f'; }

// The value after "charset" (and optional blanks and "=") in a Content-Type value, as browsers
// take it from a meta element.
std::string CharsetFromContentType(std::string_view AContent) {
    const std::string lower = LowerAscii(AContent);
    size_t pos = 0;
    while ((pos = lower.find("charset", pos)) != std::string::npos) {
        size_t i = pos + 7;
        while (i < lower.size() && IsHtmlSpace(lower[i]))
            ++i;
        if (i >= lower.size() || lower[i] != '=') {
            pos = i;
            continue;
        }
        ++i;
        while (i < lower.size() && IsHtmlSpace(lower[i]))
            ++i;
        if (i >= lower.size())
            return "";
        if (lower[i] == '"' || lower[i] == '\'') {
            const size_t end = lower.find(lower[i], i + 1);
            return end == std::string::npos ? "" : std::string(AContent.substr(i + 1, end - i - 1));
        }
        size_t end = i;
        while (end < lower.size() && !IsHtmlSpace(lower[end]) && lower[end] != ';')
            ++end;
        return std::string(AContent.substr(i, end - i));
    }
    return "";
}

// Reads the attributes of the tag starting after "<meta" at APos; APos ends after the tag.
std::vector<std::pair<std::string, std::string>> ReadAttributes(std::string_view AText, size_t& APos) {
    std::vector<std::pair<std::string, std::string>> attrs;
    while (APos < AText.size()) {
        while (APos < AText.size() && (IsHtmlSpace(AText[APos]) || AText[APos] == '/'))
            ++APos;
        if (APos >= AText.size() || AText[APos] == '>')
            break;
        size_t start = APos;
        while (APos < AText.size() && !IsHtmlSpace(AText[APos]) && AText[APos] != '=' && AText[APos] != '>' && AText[APos] != '/')
            ++APos;
        std::string name = LowerAscii(AText.substr(start, APos - start));
        while (APos < AText.size() && IsHtmlSpace(AText[APos]))
            ++APos;
        std::string value;
        if (APos < AText.size() && AText[APos] == '=') {
            ++APos;
            while (APos < AText.size() && IsHtmlSpace(AText[APos]))
                ++APos;
            if (APos < AText.size() && (AText[APos] == '"' || AText[APos] == '\'')) {
                const char q = AText[APos];
                const size_t end = AText.find(q, APos + 1);
                if (end == std::string_view::npos) {
                    APos = AText.size();
                    break;
                }
                value = std::string(AText.substr(APos + 1, end - APos - 1));
                APos = end + 1;
            } else {
                start = APos;
                while (APos < AText.size() && !IsHtmlSpace(AText[APos]) && AText[APos] != '>')
                    ++APos;
                value = std::string(AText.substr(start, APos - start));
            }
        }
        attrs.emplace_back(std::move(name), std::move(value));
    }
    return attrs;
}

// UTF-16 code units as UTF-8, lone surrogates as U+FFFD.
std::string Utf16ToUtf8(const std::u16string& AText) {
    std::string out;
    for (size_t i = 0; i < AText.size(); ++i) {
        char32_t c = AText[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < AText.size() && AText[i + 1] >= 0xDC00 && AText[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (AText[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// Decodes with an ICU converter; unconvertible bytes become U+FFFD. Empty optional when ICU does
// not know the name.
bool DecodeWithIcu(std::string_view ABytes, const std::string& AName, std::string& AOut) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, void (*)(UConverter*)> conv(ucnv_open(AName.c_str(), &status), ucnv_close);
    if (U_FAILURE(status) || !conv)
        return false;
    std::u16string units(ABytes.size() * 2 + 16, u'\0');
    status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(units.data()), static_cast<int32_t>(units.size()),
                                    ABytes.data(), static_cast<int32_t>(ABytes.size()), &status);
    if (U_FAILURE(status))
        return false;
    units.resize(static_cast<size_t>(n));
    AOut = Utf16ToUtf8(units);
    return true;
}

bool Decode(std::string_view ABytes, const std::string& ACharset, std::string& AOut) {
    if (ACharset == "utf-8") {
        AOut = SanitizeUtf8(ABytes);
        return true;
    }
    if (ACharset == "windows-1252") {
        AOut = Windows1252ToUtf8(ABytes);
        return true;
    }
    return DecodeWithIcu(ABytes, ACharset, AOut);
}

}  // namespace

std::string CanonicalCharsetLabel(std::string_view ALabel) {
    const auto it = LabelTable().find(LowerAscii(Trim(ALabel)));
    return it == LabelTable().end() ? std::string() : it->second;
}

std::string DeclaredCharsetLabel(std::string_view ABytes) {
    // <?xml version="1.0" encoding="..."?> at the very start.
    if (StartsWith(ABytes, "<?xml")) {
        const size_t end = ABytes.find("?>");
        if (end != std::string_view::npos) {
            size_t pos = 5;
            for (const auto& [name, value] : ReadAttributes(ABytes.substr(0, end), pos))
                if (name == "encoding")
                    return value;
        }
    }
    const std::string_view head = ABytes.substr(0, 1024);
    const std::string lower = LowerAscii(head);
    size_t pos = 0;
    while (pos < lower.size()) {
        const size_t lt = lower.find('<', pos);
        if (lt == std::string::npos)
            break;
        if (lower.compare(lt, 4, "<!--") == 0) {
            const size_t end = lower.find("-->", lt + 4);
            if (end == std::string::npos)
                break;
            pos = end + 3;
            continue;
        }
        if (lower.compare(lt, 5, "<meta") == 0 && lt + 5 < lower.size() && (IsHtmlSpace(lower[lt + 5]) || lower[lt + 5] == '/')) {
            size_t p = lt + 5;
            bool httpEquiv = false;
            std::string charset, content;
            for (const auto& [name, value] : ReadAttributes(head, p)) {
                if (name == "charset" && charset.empty())
                    charset = value;
                else if (name == "http-equiv")
                    httpEquiv = SameText(Trim(value), "content-type");
                else if (name == "content" && content.empty())
                    content = value;
            }
            if (!charset.empty())
                return charset;
            if (httpEquiv && !content.empty()) {
                const std::string fromContent = CharsetFromContentType(content);
                if (!fromContent.empty())
                    return fromContent;
            }
            pos = p;
            continue;
        }
        pos = lt + 1;
    }
    return "";
}

TDecodedPage DecodeHtmlBytes(std::string_view ABytes) {
    TDecodedPage page;
    if (StartsWith(ABytes, "\xEF\xBB\xBF")) {
        page.Text = SanitizeUtf8(ABytes.substr(3));
        page.Charset = "utf-8";
        page.Source = TCharsetSource::ByteOrderMark;
        return page;
    }
    if (StartsWith(ABytes, "\xFE\xFF") || StartsWith(ABytes, "\xFF\xFE")) {
        const bool big = ABytes[0] == '\xFE';
        page.Charset = big ? "utf-16be" : "utf-16le";
        page.Source = TCharsetSource::ByteOrderMark;
        if (DecodeWithIcu(ABytes.substr(2), big ? "UTF-16BE" : "UTF-16LE", page.Text))
            return page;
    }
    const std::string declared = CanonicalCharsetLabel(DeclaredCharsetLabel(ABytes));
    if (!declared.empty() && Decode(ABytes, declared, page.Text)) {
        page.Charset = declared;
        page.Source = TCharsetSource::Declaration;
        return page;
    }
    if (IsValidUtf8(ABytes)) {
        page.Text = std::string(ABytes);
        page.Charset = "utf-8";
        page.Source = TCharsetSource::ValidUtf8;
        return page;
    }
    page.Text = Windows1252ToUtf8(ABytes);
    page.Charset = "windows-1252";
    page.Source = TCharsetSource::Fallback;
    return page;
}
