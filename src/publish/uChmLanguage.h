// Which code page and language a compiled help file gets.
//
// The code page is chosen from the titles the contents show: the first of 1251, 1252, 1250,
// 1253, 1254 and 1257 that represents every title, else the one that represents the most title
// characters. The language (the "Language=" line of the project file, which the compiler stores
// in the compiled file and by which a reader's Windows decodes the contents) is the author's
// locale when that locale's Windows code page reads the contents as written, else the language
// that stands for the code page. Locale data (Windows language ids, English names) comes from
// ICU. Pure functions apart from AuthorCtypeLocale; thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// 1251, 1252, 1250, 1253, 1254, 1257: the order in which the code pages are tried.
const std::vector<int>& ChmCodePageOrder();

// The code page for a CHM whose contents show ATitles (UTF-8), by the rule above; 1251 for no
// titles or titles of ASCII only.
int ChooseChmCodePage(const std::vector<std::string>& ATitles);

// A Windows language id and its English name.
struct TChmLanguage {
    unsigned LCID = 0;
    std::string Name;  // "Russian", "German (Austria)"; "" for an id ICU does not know

    // The value of the project file's "Language=" line: "0x0419 Russian" (four upper-case
    // hexadecimal digits, then the name when there is one).
    std::string LineValue() const;
    bool operator==(const TChmLanguage&) const = default;
};

// The English name of a Windows language id: the names of the code pages' own languages
// (DefaultChmLanguage), else ICU's language name, followed by the country in parentheses unless
// the id is the language's primary one. "" when ICU does not know the id.
std::string ChmLanguageName(unsigned ALcid);

// The language that stands for a code page: 1251 Russian (0x0419), 1252 English (United States)
// (0x0409), 1250 Czech (0x0405), 1253 Greek (0x0408), 1254 Turkish (0x041F), 1257 Estonian
// (0x0425). Raises EAppError for any other code page.
TChmLanguage DefaultChmLanguage(int ACodePage);

// A POSIX locale name ("de_DE.UTF-8", "sr_RS@latin", "ru") as a Windows language and that
// language's Windows code page (one of ChmCodePageOrder). nullopt for "", "C", "POSIX", a name
// that is not a locale, or a language whose code page is none of those.
struct TLocaleLanguage {
    TChmLanguage Language;
    int CodePage = 0;
};
std::optional<TLocaleLanguage> LocaleLanguage(std::string_view ALocale);

// The author's locale for text: the first set and non-empty of LC_ALL, LC_CTYPE and LANG.
std::string AuthorCtypeLocale();

// The language of a CHM written in ACodePage whose contents show ATitles: ALocale's language
// when its code page is ACodePage or reads every title exactly as ACodePage writes it (titles of
// ASCII only read the same in every code page), else DefaultChmLanguage(ACodePage).
TChmLanguage ChooseChmLanguage(int ACodePage, const std::vector<std::string>& ATitles, std::string_view ALocale);

// A language given as "0x" and one to four hexadecimal digits (not zero), e.g. "0x0407"; its
// name when ICU knows the id. nullopt for anything else.
std::optional<TChmLanguage> ParseChmLanguage(std::string_view AText);
