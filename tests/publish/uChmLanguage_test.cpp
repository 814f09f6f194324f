#include "uChmLanguage.h"

#include "publish/ChmFixture.h"
#include "uExportChm.h"
#include "uHtmlUtils.h"
#include "uWindowsCodePage.h"

#include <gtest/gtest.h>

using namespace chm_fixture;

TEST(ChmLanguage, LocalesGiveTheirWindowsLanguageAndCodePage) {
    struct Case { const char* locale; unsigned lcid; const char* line; int cp; } cases[] = {
        {"de_DE.UTF-8", 0x0407, "0x0407 German", 1252},
        {"de_AT.ISO-8859-1@euro", 0x0C07, "0x0C07 German (Austria)", 1252},
        {"en_US.UTF-8", 0x0409, "0x0409 English (United States)", 1252},
        {"ru", 0x0419, "0x0419 Russian", 1251},
        {"uk_UA.UTF-8", 0x0422, "0x0422 Ukrainian", 1251},
        {"sr_RS@latin", 0x241A, "0x241A Serbian (Serbia)", 1250},
        {"pl_PL.UTF-8", 0x0415, "0x0415 Polish", 1250},
        {"el_GR.UTF-8", 0x0408, "0x0408 Greek", 1253},
        {"tr_TR.UTF-8", 0x041F, "0x041F Turkish", 1254},
        {"lt_LT.UTF-8", 0x0427, "0x0427 Lithuanian", 1257},
    };
    for (const auto& c : cases) {
        const std::optional<TLocaleLanguage> got = LocaleLanguage(c.locale);
        ASSERT_TRUE(got) << c.locale;
        EXPECT_EQ(got->Language.LCID, c.lcid) << c.locale;
        EXPECT_EQ(got->Language.LineValue(), c.line) << c.locale;
        EXPECT_EQ(got->CodePage, c.cp) << c.locale;
    }
    // No language, or one whose code page a CHM here is never written in.
    for (const char* none : {"", "C", "POSIX", "C.UTF-8", "ja_JP.UTF-8", "vi_VN", "zh_CN.GB2312", "12_34"})
        EXPECT_FALSE(LocaleLanguage(none)) << none;
}

TEST(ChmLanguage, LanguageOptionTakesAHexadecimalId) {
    struct Case { const char* text; const char* line; } cases[] = {
        {"0x0407", "0x0407 German"}, {"0x407", "0x0407 German"}, {"0X0c07", "0x0C07 German (Austria)"},
        {"0x0419", "0x0419 Russian"}, {"0x1234", "0x1234"},  // an id without name keeps only the number
    };
    for (const auto& c : cases) {
        const std::optional<TChmLanguage> got = ParseChmLanguage(c.text);
        ASSERT_TRUE(got) << c.text;
        EXPECT_EQ(got->LineValue(), c.line) << c.text;
    }
    for (const char* bad : {"", "407", "0x", "0x0", "0x12345", "0xG1", "0x-1", "0x+1", "German"})
        EXPECT_FALSE(ParseChmLanguage(bad)) << bad;
}

namespace {

struct TLanguageCase {
    const char* name;
    std::vector<std::string> titles;
    std::vector<std::string> shown;  // the titles as the contents show them
    const char* body;                // text of the one paragraph of every page
    const char* locale;              // LC_ALL while publishing
    int codePage;
    const char* language;
};

void WriteTitledProject(const std::string& ARoot, const TLanguageCase& ACase, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    for (size_t i = 0; i < ACase.titles.size(); ++i)
        AddFixedTopic(AProject, std::string(32, static_cast<char>('A' + i)), ACase.titles[i]);
    SaveProjectFolder(AProject);
    for (const TTopic& t : AProject.Topics())
        PutFile(CombinePath(ARoot, "topics/" + t.ID() + ".html"), std::string("<p>") + ACase.body + "</p>");
}

std::string Between(const std::string& AText, const std::string& AFrom, const std::string& ATo) {
    const size_t a = AText.find(AFrom);
    const size_t b = a == std::string::npos ? a : AText.find(ATo, a + AFrom.size());
    return b == std::string::npos ? "<missing>" : AText.substr(a + AFrom.size(), b - a - AFrom.size());
}

}  // namespace

TEST(ChmLanguage, EachProjectGetsTheCodePageItsTitlesNeedAndKeepsEveryCharacterOfItsPages) {
    const TLanguageCase cases[] = {
        {"German", {"Überblick – café", "Grüße"}, {"Überblick – café", "Grüße"},
         "Grüße aus München: naïve café, 5 €", "C", 1252, "0x0409 English (United States)"},
        {"German by a German author", {"Überblick"}, {"Überblick"}, "Grüße", "de_DE.UTF-8", 1252, "0x0407 German"},
        {"French", {"Présentation", "Où trouver l’aide"}, {"Présentation", "Où trouver l’aide"},
         "Élève à l’école : « déjà vu », cœur", "fr_FR.UTF-8", 1252, "0x040C French"},
        {"Polish", {"Przegląd", "Łódź"}, {"Przegląd", "Łódź"}, "Zażółć gęślą jaźń", "C", 1250, "0x0405 Czech"},
        {"Greek", {"Επισκόπηση"}, {"Επισκόπηση"}, "Καλημέρα κόσμε, Grüße", "C", 1253, "0x0408 Greek"},
        {"Russian by a German author", {"Введение", "Справка"}, {"Введение", "Справка"},
         "Привет, мир — ёж", "de_DE.UTF-8", 1251, "0x0419 Russian"},
        {"Russian with German", {"Введение", "Überblick"}, {"Введение", "?berblick"},
         "Привет und Grüße, 日本", "C", 1251, "0x0419 Russian"},
        // ASCII titles read the same in every code page, so the author's language fits.
        {"English by a German author", {"Overview"}, {"Overview"}, "Plain text", "de_DE.UTF-8", 1251, "0x0407 German"},
    };
    for (const TLanguageCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTempDir dir;
        TDocProject project;
        WriteTitledProject(dir / "P", c, project);
        TScopedEnv locale("LC_ALL", c.locale);
        const TChmExportResult result = ExportChm(project);
        const TWindowsCodePage& cp = TWindowsCodePage::Get(c.codePage);
        EXPECT_EQ(result.CodePage, c.codePage);
        EXPECT_EQ(result.Language.LineValue(), c.language);
        const std::string out = dir / "P/build/chm";
        EXPECT_NE(GetFile(out + "/project.hhp").find("\r\nFull-text search=Yes\r\nLanguage=" + std::string(c.language) +
                                                     "\r\n\r\n[FILES]\r\n"),
                  std::string::npos);

        // The contents: the titles in the chosen code page, "?" where it has no byte, and a note.
        const std::string toc = cp.Decode(GetFile(out + "/toc.hhc"));
        EXPECT_NE(toc.find("charset=windows-" + std::to_string(c.codePage) + "\""), std::string::npos);
        std::vector<std::string> unshowable;
        for (size_t i = 0; i < c.titles.size(); ++i) {
            EXPECT_NE(toc.find("<param name=\"Name\" value=\"" + c.shown[i] + "\">"), std::string::npos) << c.shown[i];
            if (c.shown[i] != c.titles[i])
                unshowable.push_back("\"" + c.titles[i] + "\"");
        }
        const std::string note = "These titles cannot be shown exactly in the CHM contents: ";
        if (unshowable.empty())
            EXPECT_TRUE(result.Notes.empty() || result.Notes[0].rfind(note, 0) != 0) << result.Notes[0];
        else
            EXPECT_EQ(result.Notes.at(0), note + unshowable[0]);

        // The pages, on disk and read back from the compiled file, give back the text.
        ASSERT_TRUE(ExtractChm(result.ChmFile, dir / "unpacked"));
        for (const std::string& page : result.Pages)
            for (const std::string& file : {out + "/" + page, dir / ("unpacked/" + page)}) {
                const std::string html = cp.Decode(GetFile(file));
                EXPECT_NE(html.find("charset=windows-" + std::to_string(c.codePage) + "\""), std::string::npos) << file;
                EXPECT_EQ(HtmlDecodeEntities(Between(html, "<div class=\"sv-body\"><p>", "</p>")), c.body) << file;
            }
        const unsigned lcid = ParseChmLanguage(std::string(c.language).substr(0, 6))->LCID;
        EXPECT_EQ(ChmSystemLanguage(dir / "unpacked"), lcid);
        EXPECT_EQ(ChmHeaderLanguage(result.ChmFile), lcid);
    }
}

TEST(ChmLanguage, TheNoteNamesTenTitlesThenCounts) {
    std::vector<std::string> titles = {"Fine", "日本 0", "日本 0"};  // a title twice is named once
    for (int i = 1; i < 12; ++i)
        titles.push_back("日本 " + std::to_string(i));
    const TWindowsCodePage& cp = TWindowsCodePage::Get(1252);
    EXPECT_EQ(UnshowableTitlesNote(cp, titles),
              "These titles cannot be shown exactly in the CHM contents: \"日本 0\", \"日本 1\", \"日本 2\", \"日本 3\", "
              "\"日本 4\", \"日本 5\", \"日本 6\", \"日本 7\", \"日本 8\", \"日本 9\" and 2 more");
    EXPECT_EQ(UnshowableTitlesNote(cp, {"Fine", "Café"}), "");
}
