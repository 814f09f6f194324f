#include "uChmLanguage.h"

#include "uUtils.h"
#include "uWindowsCodePage.h"

#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace {

struct TCodePageLanguage {
    int CodePage;
    unsigned LCID;
    const char* Name;
};

// The language each code page stands for.
constexpr TCodePageLanguage kDefaults[] = {
    {1251, 0x0419, "Russian"}, {1252, 0x0409, "English (United States)"}, {1250, 0x0405, "Czech"},
    {1253, 0x0408, "Greek"},   {1254, 0x041F, "Turkish"},                  {1257, 0x0425, "Estonian"},
};

// Languages in Latin script whose Windows code page is not 1252.
constexpr const char* kLatin1250[] = {"bs", "cs", "hr", "hu", "pl", "ro", "sk", "sl", "sq", "sr", "tk"};
constexpr const char* kLatin1254[] = {"az", "tr", "uz"};
constexpr const char* kLatin1257[] = {"et", "lt", "lv"};
constexpr const char* kLatinOther[] = {"vi"};  // 1258, which a CHM here is never written in

template <size_t N>
bool Listed(const char* const (&AList)[N], const std::string& ALanguage) {
    return std::find(std::begin(AList), std::end(AList), ALanguage) != std::end(AList);
}

// The Windows code page of a language written in a script, or 0 when it is none of ours.
int CodePageOf(const std::string& ALanguage, const std::string& AScript) {
    if (AScript == "Cyrl")
        return 1251;
    if (AScript == "Grek")
        return 1253;
    if (AScript != "Latn" || Listed(kLatinOther, ALanguage))
        return 0;
    if (Listed(kLatin1250, ALanguage))
        return 1250;
    if (Listed(kLatin1254, ALanguage))
        return 1254;
    if (Listed(kLatin1257, ALanguage))
        return 1257;
    return 1252;
}

std::string ToUtf8(const UChar* AText, int32_t ALength) {
    char buf[256];
    int32_t n = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strToUTF8(buf, sizeof buf, &n, AText, ALength, &err);
    return U_SUCCESS(err) && n < static_cast<int32_t>(sizeof buf) ? std::string(buf, n) : std::string();
}

template <class TGetter>
std::string IcuText(TGetter AGetter) {
    char buf[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = AGetter(buf, static_cast<int32_t>(sizeof buf - 1), &err);
    return U_SUCCESS(err) && n > 0 && n < static_cast<int32_t>(sizeof buf) ? std::string(buf, n) : std::string();
}

std::string EnglishDisplay(const std::string& ALocale, bool ACountry) {
    UChar buf[128];
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ACountry ? uloc_getDisplayCountry(ALocale.c_str(), "en", buf, 128, &err)
                               : uloc_getDisplayLanguage(ALocale.c_str(), "en", buf, 128, &err);
    return U_SUCCESS(err) && n > 0 && n < 128 ? ToUtf8(buf, n) : std::string();
}

bool IsLowerAsciiWord(const std::string& AText, size_t AMin, size_t AMax) {
    return AText.size() >= AMin && AText.size() <= AMax &&
           std::all_of(AText.begin(), AText.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// The titles as the contents file holds them, read back in ACodePage.
std::string TitlesAsWritten(const TWindowsCodePage& AWritten, const TWindowsCodePage& ARead,
                            const std::vector<std::string>& ATitles) {
    std::string out;
    for (const std::string& t : ATitles)
        out += ARead.Decode(AWritten.Encode(t)) + '\n';
    return out;
}

}  // namespace

const std::vector<int>& ChmCodePageOrder() {
    static const std::vector<int> order = {1251, 1252, 1250, 1253, 1254, 1257};
    return order;
}

int ChooseChmCodePage(const std::vector<std::string>& ATitles) {
    int best = ChmCodePageOrder().front();
    size_t bestCount = 0;
    for (int number : ChmCodePageOrder()) {
        const TWindowsCodePage& cp = TWindowsCodePage::Get(number);
        if (std::all_of(ATitles.begin(), ATitles.end(), [&](const std::string& t) { return cp.CanEncodeAll(t); }))
            return number;
        size_t count = 0;
        for (const std::string& t : ATitles)
            count += cp.CountEncodable(t);
        if (count > bestCount) {
            best = number;
            bestCount = count;
        }
    }
    return best;
}

std::string TChmLanguage::LineValue() const {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", LCID);
    return Name.empty() ? hex : hex + (" " + Name);
}

std::string ChmLanguageName(unsigned ALcid) {
    for (const TCodePageLanguage& d : kDefaults)
        if (d.LCID == ALcid)
            return d.Name;
    const std::string locale =
        IcuText([&](char* ABuf, int32_t ASize, UErrorCode* AErr) { return uloc_getLocaleForLCID(ALcid, ABuf, ASize, AErr); });
    if (locale.empty())
        return {};
    std::string name = EnglishDisplay(locale, false);
    const std::string country = EnglishDisplay(locale, true);
    if (!name.empty() && !country.empty() && (ALcid >> 10) != 1)
        name += " (" + country + ")";
    return name;
}

TChmLanguage DefaultChmLanguage(int ACodePage) {
    for (const TCodePageLanguage& d : kDefaults)
        if (d.CodePage == ACodePage)
            return {d.LCID, d.Name};
    throw EAppError("No language stands for the code page " + std::to_string(ACodePage));
}

std::optional<TLocaleLanguage> LocaleLanguage(std::string_view ALocale) {
    // language[_territory][.codeset][@modifier]
    std::string name(ALocale), modifier;
    if (const size_t at = name.find('@'); at != std::string::npos) {
        modifier = name.substr(at + 1);
        name.erase(at);
    }
    if (const size_t dot = name.find('.'); dot != std::string::npos)
        name.erase(dot);
    std::string language = name, territory;
    if (const size_t us = name.find('_'); us != std::string::npos) {
        language = name.substr(0, us);
        territory = name.substr(us + 1);
    }
    if (!IsLowerAsciiWord(language, 2, 3))
        return std::nullopt;
    std::string id = language;
    if (modifier == "latin")
        id += "_Latn";
    else if (modifier == "cyrillic")
        id += "_Cyrl";
    if (!territory.empty())
        id += "_" + territory;
    const std::string full =
        IcuText([&](char* ABuf, int32_t ASize, UErrorCode* AErr) { return uloc_addLikelySubtags(id.c_str(), ABuf, ASize, AErr); });
    const std::string script =
        IcuText([&](char* ABuf, int32_t ASize, UErrorCode* AErr) { return uloc_getScript(full.c_str(), ABuf, ASize, AErr); });
    const std::string country =
        IcuText([&](char* ABuf, int32_t ASize, UErrorCode* AErr) { return uloc_getCountry(full.c_str(), ABuf, ASize, AErr); });
    const int codePage = CodePageOf(language, script);
    if (codePage == 0)
        return std::nullopt;
    // ICU knows script variants only for languages written in several scripts; others give
    // the bare language id, which the language and country alone make specific.
    unsigned lcid = uloc_getLCID(full.c_str());
    if (lcid < 0x400)
        lcid = uloc_getLCID((language + "_" + country).c_str());
    if (lcid < 0x400)
        return std::nullopt;
    return TLocaleLanguage{{lcid, ChmLanguageName(lcid)}, codePage};
}

std::string AuthorCtypeLocale() {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(var); value && *value)
            return value;
    return {};
}

TChmLanguage ChooseChmLanguage(int ACodePage, const std::vector<std::string>& ATitles, std::string_view ALocale) {
    const std::optional<TLocaleLanguage> author = LocaleLanguage(ALocale);
    if (author) {
        const TWindowsCodePage& written = TWindowsCodePage::Get(ACodePage);
        if (TitlesAsWritten(written, TWindowsCodePage::Get(author->CodePage), ATitles) ==
            TitlesAsWritten(written, written, ATitles))
            return author->Language;
    }
    return DefaultChmLanguage(ACodePage);
}

std::optional<TChmLanguage> ParseChmLanguage(std::string_view AText) {
    if (AText.size() < 3 || AText.size() > 6 || (AText.substr(0, 2) != "0x" && AText.substr(0, 2) != "0X"))
        return std::nullopt;
    unsigned lcid = 0;
    const char* end = AText.data() + AText.size();
    const auto [ptr, ec] = std::from_chars(AText.data() + 2, end, lcid, 16);
    if (ec != std::errc() || ptr != end || lcid == 0)
        return std::nullopt;
    return TChmLanguage{lcid, ChmLanguageName(lcid)};
}
