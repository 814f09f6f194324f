#include "uProjectSettings.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string kBom = "\xEF\xBB\xBF";

const std::string kDefaultFileBody =
    "{\"ProjTitle\":\"Untitled Documentation\",\"FontSizeH1\":32,\"FontSizeH2\":24,\"FontSizeH3\":18,"
    "\"FontSizeBody\":16,\"DefaultTextColor\":\"#000000\",\"DefaultFontName\":\"Segoe UI\","
    "\"DefaultTextBackColor\":\"#FFFFFF\",\"DefaultLineSpacing\":1.5,\"DefaultPageBgColor\":\"#FFFFFF\","
    "\"DefaultHeaderBgColor\":\"#E7EFF5\",\"TocTextColor\":\"#000000\",\"TocTextSize\":12,"
    "\"CopyrightEnabled\":false,\"CopyrightText\":\"\",\"LinkColor\":\"#0000FF\",\"LinkStyle\":\"solid\","
    "\"TableBorderStyle\":\"solid\",\"TableBorderWidth\":1,\"TableBorderColor\":\"#999999\"}";

// A settings object in which every field differs from its default, so that a load which keeps
// or restores a field is visible.
TProjectSettings NonDefaultSettings() {
    TProjectSettings s;
    s.ProjTitle = "Handbuch f\xC3\xBCr Gr\xC3\xB6\xC3\x9F" "en / \"Teil\" 1";
    s.FontSizeH1 = 40;
    s.FontSizeH2 = 30;
    s.FontSizeH3 = 20;
    s.FontSizeBody = 20;
    s.DefaultTextColor = 0x112233;
    s.DefaultFontName = "Noto Sans";
    s.DefaultTextBackColor = 0x445566;
    s.DefaultLineSpacing = 2.0;
    s.DefaultPageBgColor = 0x778899;
    s.DefaultHeaderBgColor = 0xAABBCC;
    s.TocTextColor = 0x0000FF;
    s.TocTextSize = 14;
    s.CopyrightEnabled = true;
    s.CopyrightText = "\xC2\xA9 2026\tACME\r\n";
    s.LinkColor = 0x00FF00;
    s.LinkStyle = "dashed";
    s.TableBorderStyle = "double";
    s.TableBorderWidth = 3;
    s.TableBorderColor = 0x333333;
    return s;
}

TJson Parse(const std::string& AText) {
    TJson j;
    EXPECT_TRUE(JsonTryParse(AText, j)) << AText;
    return j;
}

}  // namespace

TEST(ProjectSettings, DefaultObjectSavesToOneBomLineAndReloadsIdentically) {
    TTempDir tmp;
    const std::string file = tmp / "a/b/project_settings.json";  // missing parents are created
    const TProjectSettings defaults;
    defaults.SaveToFile(file);
    EXPECT_EQ(GetFile(file), kBom + kDefaultFileBody);

    TProjectSettings loaded = NonDefaultSettings();
    ASSERT_TRUE(loaded.LoadFromFile(file));
    EXPECT_TRUE(loaded == defaults);
}

TEST(ProjectSettings, NonDefaultValuesRoundTripThroughFileAndPreset) {
    TTempDir tmp;
    const TProjectSettings s = NonDefaultSettings();
    s.SavePreset(tmp / "preset.json");
    const std::string text = GetFile(tmp / "preset.json");
    // Non-ASCII as \u escapes, the slash escaped, the file body pure ASCII.
    EXPECT_NE(text.find("\"ProjTitle\":\"Handbuch f\\u00FCr Gr\\u00F6\\u00DFen \\/ \\\"Teil\\\" 1\""), std::string::npos);
    EXPECT_NE(text.find("\"CopyrightText\":\"\\u00A9 2026\\tACME\\r\\n\""), std::string::npos);
    EXPECT_NE(text.find("\"DefaultLineSpacing\":2.0,"), std::string::npos);
    for (size_t i = kBom.size(); i < text.size(); ++i)
        ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80) << "offset " << i;

    TProjectSettings loaded;
    ASSERT_TRUE(loaded.LoadPreset(tmp / "preset.json"));
    EXPECT_TRUE(loaded == s);

    // A line spacing needing more digits reads back to the same double.
    TProjectSettings odd;
    odd.DefaultLineSpacing = 1.0 + 1.0 / 3.0;
    odd.SaveToFile(tmp / "odd.json");
    TProjectSettings back;
    ASSERT_TRUE(back.LoadFromFile(tmp / "odd.json"));
    EXPECT_EQ(back.DefaultLineSpacing, odd.DefaultLineSpacing);
}

// Every tolerant reading and normalisation rule. Each case starts from NonDefaultSettings()
// (after its own Before step) and must end as that object with exactly the After change.
TEST(ProjectSettings, FromJsonReadsTolerantlyAndNormalises) {
    using Change = std::function<void(TProjectSettings&)>;
    const Change none = [](TProjectSettings&) {};
    struct Case {
        const char* json;
        Change before;
        Change after;
    };
    const Case cases[] = {
        {R"({})", none, none},
        {R"({"Unknown":1,"fontsizebody":4})", none, none},  // unknown keys; names are case-sensitive
        // integers
        {R"({"FontSizeBody":"12"})", none, none},
        {R"({"FontSizeBody":true,"FontSizeH2":null,"FontSizeH3":[1]})", none, none},
        {R"({"FontSizeBody":4})", none, [](auto& s) { s.FontSizeBody = 8; }},
        {R"({"FontSizeH1":12})", none, [](auto& s) { s.FontSizeH1 = 12; }},
        {R"({"FontSizeH1":-1,"FontSizeH2":7,"FontSizeH3":0})", none,
         [](auto& s) { s.FontSizeH1 = s.FontSizeH2 = s.FontSizeH3 = 8; }},
        {R"({"FontSizeBody":200})", none, [](auto& s) { s.FontSizeBody = 200; }},  // no upper bound
        {R"({"TocTextSize":50})", none, [](auto& s) { s.TocTextSize = 36; }},
        {R"({"TocTextSize":2})", none, [](auto& s) { s.TocTextSize = 6; }},
        {R"({"TableBorderWidth":0})", none, [](auto& s) { s.TableBorderWidth = 1; }},
        {R"({"TableBorderWidth":-3})", none, [](auto& s) { s.TableBorderWidth = 1; }},
        {R"({"TableBorderWidth":20})", none, [](auto& s) { s.TableBorderWidth = 12; }},
        // line spacing
        {R"({"DefaultLineSpacing":0.5})", none, [](auto& s) { s.DefaultLineSpacing = 1.0; }},
        {R"({"DefaultLineSpacing":7})", none, [](auto& s) { s.DefaultLineSpacing = 5.0; }},
        {R"({"DefaultLineSpacing":"1.2"})", none, none},
        {R"({"DefaultLineSpacing":1.25})", none, [](auto& s) { s.DefaultLineSpacing = 1.25; }},
        {R"({"DefaultLineSpacing":3})", none, [](auto& s) { s.DefaultLineSpacing = 3.0; }},
        {R"({"DefaultLineSpacing":2.5e0})", none, [](auto& s) { s.DefaultLineSpacing = 2.5; }},
        // styles
        {R"({"LinkStyle":"DOTTED"})", none, [](auto& s) { s.LinkStyle = "dotted"; }},
        {R"({"LinkStyle":"wavy"})", none, [](auto& s) { s.LinkStyle = "solid"; }},
        {R"({"LinkStyle":"none"})", none, [](auto& s) { s.LinkStyle = "none"; }},
        {R"({"LinkStyle":" dotted "})", none, [](auto& s) { s.LinkStyle = "solid"; }},  // not trimmed
        {R"({"TableBorderStyle":"none"})", none, [](auto& s) { s.TableBorderStyle = "solid"; }},
        {R"({"TableBorderStyle":"Dashed"})", none, [](auto& s) { s.TableBorderStyle = "dashed"; }},
        // copyright switch
        {R"({"CopyrightEnabled":" TRUE "})", [](auto& s) { s.CopyrightEnabled = false; },
         [](auto& s) { s.CopyrightEnabled = true; }},
        {R"({"CopyrightEnabled":"yes"})", none, none},
        {R"({"CopyrightEnabled":"yes"})", [](auto& s) { s.CopyrightEnabled = false; }, none},
        {R"({"CopyrightEnabled":false})", none, [](auto& s) { s.CopyrightEnabled = false; }},
        {R"({"CopyrightEnabled":"False"})", none, [](auto& s) { s.CopyrightEnabled = false; }},
        {R"({"CopyrightEnabled":1})", none, none},
        // colours
        {R"({"LinkColor":"#00ff00"})", [](auto& s) { s.LinkColor = 0; }, [](auto& s) { s.LinkColor = 0x00FF00; }},
        {R"({"LinkColor":"#0000FF"})", none, [](auto& s) { s.LinkColor = 0xFF0000; }},
        {R"({"LinkColor":"0000FF"})", none, none},
        {R"({"LinkColor":"#00F"})", none, none},
        {R"({"LinkColor":"#GG0000"})", none, none},
        {R"({"LinkColor":"#0000FF0"})", none, none},
        {R"({"LinkColor":16711680})", none, none},
        {R"({"TableBorderColor":"  #112233 "})", none, [](auto& s) { s.TableBorderColor = 0x332211; }},
        // strings: present values are taken as they are, other JSON values as their text
        {R"({"ProjTitle":""})", none, [](auto& s) { s.ProjTitle = ""; }},
        {R"({"DefaultFontName":"  Arial  "})", none, [](auto& s) { s.DefaultFontName = "  Arial  "; }},
        {R"({"CopyrightText":12})", none, [](auto& s) { s.CopyrightText = "12"; }},
        {R"({"CopyrightText":[1,"a\/b"]})", none, [](auto& s) { s.CopyrightText = "[1,\"a\\/b\"]"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        TProjectSettings actual = NonDefaultSettings();
        c.before(actual);
        TProjectSettings expected = actual;
        c.after(expected);
        actual.FromJson(Parse(c.json));
        EXPECT_TRUE(actual == expected) << JsonWrite(actual.ToJson());
    }
}

TEST(ProjectSettings, NonIntegerNumberInIntegerFieldRaisesAfterEarlierFieldsAreTaken) {
    const char* bad[] = {
        R"({"ProjTitle":"New","FontSizeH1":12.5,"FontSizeBody":30})",
        R"({"ProjTitle":"New","FontSizeH1":1e2})",
        R"({"ProjTitle":"New","FontSizeH1":12.0})",
        R"({"ProjTitle":"New","TableBorderWidth":3000000000})",
    };
    for (const char* json : bad) {
        SCOPED_TRACE(json);
        TProjectSettings s;
        s.FontSizeBody = 4;  // normalisation would raise it to 8
        EXPECT_THROW(s.FromJson(Parse(json)), EAppError);
        EXPECT_EQ(s.ProjTitle, "New");
        EXPECT_EQ(s.FontSizeBody, 4);
        EXPECT_EQ(s.FontSizeH1, 32);
    }
}

TEST(ProjectSettings, LoadFromFileRejectsWhatIsNotAnObject) {
    TTempDir tmp;
    const TProjectSettings base = NonDefaultSettings();
    const std::pair<const char*, std::string> rejected[] = {
        {"missing.json", ""},
        {"array.json", "[1,2]"},
        {"garbage.json", "{\"ProjTitle\":"},
        {"text.json", "hello"},
        {"empty.json", ""},
        {"string.json", kBom + "\"x\""},
    };
    for (const auto& [name, content] : rejected) {
        SCOPED_TRACE(name);
        if (std::string(name) != "missing.json")
            PutFile(tmp / name, content);
        TProjectSettings s = base;
        EXPECT_FALSE(s.LoadFromFile(tmp / name));
        EXPECT_TRUE(s == base);
    }

    // With or without a byte-order mark, an object loads.
    for (const std::string& prefix : {std::string(), kBom}) {
        PutFile(tmp / "ok.json", prefix + R"({"FontSizeBody":4,"LinkStyle":"Double"})");
        TProjectSettings s = base;
        ASSERT_TRUE(s.LoadFromFile(tmp / "ok.json"));
        EXPECT_EQ(s.FontSizeBody, 8);
        EXPECT_EQ(s.LinkStyle, "double");
        EXPECT_EQ(s.ProjTitle, base.ProjTitle);
    }

    // The conversion error reaches the caller and names the file.
    PutFile(tmp / "frac.json", R"({"FontSizeH2":12.5})");
    TProjectSettings s;
    try {
        s.LoadFromFile(tmp / "frac.json");
        ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(std::string(e.what()).find("frac.json"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("12.5"), std::string::npos) << e.what();
    }
}

TEST(ProjectSettings, HostileNestingIsRefusedInsteadOfCrashing) {
    TTempDir tmp;
    const TProjectSettings base = NonDefaultSettings();
    auto nested = [](size_t n) { return std::string(n, '[') + std::string(n, ']'); };
    // A deep value followed by more keys: parsing alone would copy it recursively.
    PutFile(tmp / "deep.json", "{\"ProjTitle\":" + nested(200000) + ",\"LinkColor\":1,\"TocTextSize\":50}");
    TProjectSettings s = base;
    EXPECT_FALSE(s.LoadFromFile(tmp / "deep.json"));
    EXPECT_TRUE(s == base);

    // Moderate nesting, and brackets inside strings, are read as usual.
    PutFile(tmp / "ok.json", "{\"ProjTitle\":\"" + std::string(1000, '[') + "\",\"CopyrightText\":" + nested(100) +
                                 ",\"TocTextSize\":50}");
    ASSERT_TRUE(s.LoadFromFile(tmp / "ok.json"));
    EXPECT_EQ(s.ProjTitle, std::string(1000, '['));
    EXPECT_EQ(s.CopyrightText, nested(100));
    EXPECT_EQ(s.TocTextSize, 36);
}

TEST(ProjectSettings, SaveFailureIsRaised) {
    TTempDir tmp;
    PutFile(tmp / "blocker", "x");  // a file where the folder should be
    TProjectSettings s;
    EXPECT_THROW(s.SaveToFile(tmp / "blocker/meta/project_settings.json"), std::exception);
}

TEST(ProjectSettings, DefaultSettingsPathAddsSeparatorOnlyWhereNeeded) {
    EXPECT_EQ(TProjectSettings::DefaultSettingsPathForProject("/docs/proj"), "/docs/proj/meta/project_settings.json");
    EXPECT_EQ(TProjectSettings::DefaultSettingsPathForProject("/docs/proj/"), "/docs/proj/meta/project_settings.json");
}

TEST(FormatLineSpacing, ShortestGeneralFormWithPoint) {
    const std::pair<double, const char*> cases[] = {
        {1.5, "1.5"}, {2.0, "2"}, {1.25, "1.25"}, {1.1, "1.1"}, {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"}, {5, "5"}, {12345.5, "12345.5"},
    };
    for (const auto& [v, want] : cases)
        EXPECT_EQ(FormatLineSpacing(v), want);
}
