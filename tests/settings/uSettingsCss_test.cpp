#include "uSettingsCss.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sys/stat.h>

namespace {

std::string Lines(std::initializer_list<const char*> ALines) {
    std::string out;
    for (const char* l : ALines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

const std::string kDefaultStandard = Lines({
    "",
    "/* Project settings overrides */",
    "body {",
    "  font-family: \"Segoe UI\", Arial, sans-serif !important;",
    "  font-size: 16px !important;",
    "  color: #000000 !important;",
    "  line-height: 1.5 !important;",
    "}",
    "a, a:link, a:visited {",
    "  color: #0000FF !important;",
    "  text-decoration-line: underline !important;",
    "  text-decoration-style: solid !important;",
    "}",
    "table {",
    "  border-collapse: collapse;",
    "  max-width: 100%;",
    "}",
    "table, td, th {",
    "  border-style: solid !important;",
    "  border-width: 1px !important;",
    "  border-color: #999999 !important;",
    "}",
    "td, th {",
    "  padding: 6px;",
    "  vertical-align: top;",
    "}",
    "table tr:first-child > td, table tr:first-child > th {",
    "  background: #E7EFF5 !important;",
    "  background-color: #E7EFF5 !important;",
    "}",
});

const std::string kDefaultChm = Lines({
    "",
    "/* Project settings overrides */",
    "body {",
    "  font-family: \"Segoe UI\", Arial, sans-serif !important;",
    "  font-size: 16px !important;",
    "  color: #000000 !important;",
    "  line-height: 1.5 !important;",
    "}",
    "a, a:link, a:visited {",
    "  color: #0000FF !important;",
    "  text-decoration: none !important;",
    "  border-bottom-width: 1px !important;",
    "  border-bottom-style: solid !important;",
    "  border-bottom-color: #0000FF !important;",
    "}",
    "table {",
    "  border-collapse: collapse;",
    "  max-width: 100%;",
    "  border: 1px solid #999999 !important;",
    "}",
    "td, th {",
    "  border: 1px solid #999999 !important;",
    "  padding: 6px;",
    "  vertical-align: top;",
    "}",
    "table thead td, table thead th, table tr:first-child td, table tr:first-child th {",
    "  background: #E7EFF5 !important;",
    "  background-color: #E7EFF5 !important;",
    "}",
});

// Link style none, a table of 3px double #333333 and a font name with a double quote and blanks.
TProjectSettings NonDefault() {
    TProjectSettings s;
    s.DefaultFontName = "  My \"Quoted\" Sans ";
    s.FontSizeBody = 18;
    s.DefaultTextColor = 0x332211;
    s.DefaultLineSpacing = 2.0;
    s.LinkColor = 0x0080FF;
    s.LinkStyle = "NONE";
    s.TableBorderStyle = "double";
    s.TableBorderWidth = 3;
    s.TableBorderColor = 0x333333;
    s.DefaultHeaderBgColor = 0xCCBBAA;
    return s;
}

const std::string kNonDefaultStandard = Lines({
    "",
    "/* Project settings overrides */",
    "body {",
    "  font-family: \"My \\\"Quoted\\\" Sans\", Arial, sans-serif !important;",
    "  font-size: 18px !important;",
    "  color: #112233 !important;",
    "  line-height: 2 !important;",
    "}",
    "a, a:link, a:visited {",
    "  color: #FF8000 !important;",
    "  text-decoration: none !important;",
    "}",
    "table {",
    "  border-collapse: collapse;",
    "  max-width: 100%;",
    "}",
    "table, td, th {",
    "  border-style: double !important;",
    "  border-width: 3px !important;",
    "  border-color: #333333 !important;",
    "}",
    "td, th {",
    "  padding: 6px;",
    "  vertical-align: top;",
    "}",
    "table tr:first-child > td, table tr:first-child > th {",
    "  background: #AABBCC !important;",
    "  background-color: #AABBCC !important;",
    "}",
});

const std::string kNonDefaultChm = Lines({
    "",
    "/* Project settings overrides */",
    "body {",
    "  font-family: \"My \\\"Quoted\\\" Sans\", Arial, sans-serif !important;",
    "  font-size: 18px !important;",
    "  color: #112233 !important;",
    "  line-height: 2 !important;",
    "}",
    "a, a:link, a:visited {",
    "  color: #FF8000 !important;",
    "  text-decoration: none !important;",
    "  border-bottom: none !important;",
    "}",
    "table {",
    "  border-collapse: collapse;",
    "  max-width: 100%;",
    "  border: 3px double #333333 !important;",
    "}",
    "td, th {",
    "  border: 3px double #333333 !important;",
    "  padding: 6px;",
    "  vertical-align: top;",
    "}",
    "table thead td, table thead th, table tr:first-child td, table tr:first-child th {",
    "  background: #AABBCC !important;",
    "  background-color: #AABBCC !important;",
    "}",
});

// Switches the C and C++ global locales for the lifetime of the object.
class TScopedLocale {
public:
    explicit TScopedLocale(const char* AName) {
        FOldC = std::setlocale(LC_ALL, nullptr);
        FOk = std::setlocale(LC_ALL, AName) != nullptr;
        if (FOk) {
            try {
                FOldCpp = std::locale::global(std::locale(AName));
            } catch (const std::exception&) {
                FOk = false;
            }
        }
    }
    ~TScopedLocale() {
        std::setlocale(LC_ALL, FOldC.c_str());
        std::locale::global(FOldCpp);
    }
    bool Ok() const { return FOk; }

private:
    std::string FOldC;
    std::locale FOldCpp;
    bool FOk = false;
};

}  // namespace

TEST(SettingsCss, DefaultSettingsGiveTheExactBlocks) {
    const TProjectSettings s;
    EXPECT_EQ(BuildSettingsCss(&s), kDefaultStandard);
    EXPECT_EQ(BuildChmSettingsCss(&s), kDefaultChm);
}

TEST(SettingsCss, NonDefaultSettingsGiveTheExactBlocks) {
    const TProjectSettings s = NonDefault();
    EXPECT_EQ(BuildSettingsCss(&s), kNonDefaultStandard);
    EXPECT_EQ(BuildChmSettingsCss(&s), kNonDefaultChm);
}

TEST(SettingsCss, DottedLinksAndEmptyValues) {
    TProjectSettings s = NonDefault();
    s.LinkStyle = " Dotted ";
    EXPECT_NE(BuildSettingsCss(&s).find("  color: #FF8000 !important;\r\n"
                                        "  text-decoration-line: underline !important;\r\n"
                                        "  text-decoration-style: dotted !important;\r\n}\r\n"),
              std::string::npos);
    EXPECT_NE(BuildChmSettingsCss(&s).find("  color: #FF8000 !important;\r\n"
                                           "  text-decoration: none !important;\r\n"
                                           "  border-bottom-width: 1px !important;\r\n"
                                           "  border-bottom-style: dotted !important;\r\n"
                                           "  border-bottom-color: #FF8000 !important;\r\n}\r\n"),
              std::string::npos);

    // An empty link style counts as solid, an empty font name as Segoe UI.
    s.LinkStyle = "  ";
    s.DefaultFontName = " ";
    const std::string css = BuildSettingsCss(&s);
    EXPECT_NE(css.find("  text-decoration-style: solid !important;\r\n"), std::string::npos);
    EXPECT_NE(css.find("  font-family: \"Segoe UI\", Arial, sans-serif !important;\r\n"), std::string::npos);

    EXPECT_EQ(BuildSettingsCss(nullptr), "");
    EXPECT_EQ(BuildChmSettingsCss(nullptr), "");
}

TEST(SettingsCss, NumbersIgnoreACommaDecimalLocale) {
    TScopedLocale de("de_DE.UTF-8");
    if (!de.Ok())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not available (scripts/install-deps generates it)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.25);
    ASSERT_STREQ(probe, "1,25") << "the locale does not use a decimal comma";

    TProjectSettings s;
    s.DefaultLineSpacing = 1.25;
    EXPECT_NE(BuildSettingsCss(&s).find("  line-height: 1.25 !important;\r\n"), std::string::npos);
    EXPECT_NE(BuildChmSettingsCss(&s).find("  line-height: 1.25 !important;\r\n"), std::string::npos);
    EXPECT_EQ(FormatLineSpacing(1.25), "1.25");
    EXPECT_NE(JsonWrite(s.ToJson()).find("\"DefaultLineSpacing\":1.25,"), std::string::npos);

    TTempDir tmp;
    PutFile(tmp / "s.json", R"({"DefaultLineSpacing":2.75})");
    ASSERT_TRUE(s.LoadFromFile(tmp / "s.json"));
    EXPECT_EQ(s.DefaultLineSpacing, 2.75);
}

TEST(SettingsCss, EditorSheetTakesProfileThenDefaultThenFixedBase) {
    TTempDir tmp;
    TDocProject p;
    p.SetRootPath(tmp.Path());
    p.SetStyleProfile("manual");
    const TProjectSettings s;
    const std::string block = BuildSettingsCss(&s);
    const std::string out = tmp / "internal/editor/editor_effective.css";

    EXPECT_EQ(WriteEditorEffectiveCss(p, s), out);
    EXPECT_EQ(GetFile(out), std::string(FallbackBaseCss) + "\r\n" + block);

    PutFile(tmp / "styles/default.css", "p{color:red}");
    bool written = false;
    WriteEditorEffectiveCss(p, s, &written);
    EXPECT_TRUE(written);
    EXPECT_EQ(GetFile(out), "p{color:red}\r\n" + block);
    // The same text again: the file is not replaced (a replacement is a new file).
    struct stat before {}, after {};
    ASSERT_EQ(::stat(out.c_str(), &before), 0);
    WriteEditorEffectiveCss(p, s, &written);
    ASSERT_EQ(::stat(out.c_str(), &after), 0);
    EXPECT_FALSE(written);
    EXPECT_EQ(after.st_ino, before.st_ino);

    PutFile(tmp / "styles/manual.css", "\xEF\xBB\xBFh1{color:blue}");  // byte-order mark skipped
    WriteEditorEffectiveCss(p, s);
    EXPECT_EQ(GetFile(out), "h1{color:blue}\r\n" + block);

    // An empty base: the sheet starts with two CR LF pairs.
    PutFile(tmp / "styles/manual.css", "");
    WriteEditorEffectiveCss(p, s);
    const std::string text = GetFile(out);
    EXPECT_EQ(text.substr(0, 4), "\r\n\r\n");
    EXPECT_EQ(text, "\r\n" + block);
}
