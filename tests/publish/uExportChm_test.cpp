#include "publish/ChmFixture.h"

#include "uChmCompiler.h"
#include "uChmPage.h"
#include "uChmProjectFiles.h"
#include "uCp1251.h"
#include "uExportChm.h"
#include "uJpegOrientation.h"
#include "uReusableContent.h"
#include "uSettingsCss.h"
#include "uStorage.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace chm_fixture;
using webhelp_fixture::Snapshot;

namespace {

const std::string kIntro(32, 'A');     // root: Cyrillic title, tables, images, tokens, links
const std::string kHidden(32, 'B');    // root excluded from CHM, parent of kChild
const std::string kChild(32, 'C');     // included child of the excluded root
const std::string kForeign(32, 'D');   // root whose title is outside Windows-1251
const std::string kNested(32, 'E');    // child of kForeign, shares a photo with kIntro
const std::string kUnknown = "0123456789ABCDEF0123456789ABCDEF";

const std::string kIntroBody =
    "<p style=\"background-color:#ffffff\">Версия {var:Product}</p>"
    "<p><a href=\"doc:" + kChild + "\">к дочерней</a> <a href='doc:" + kHidden + "'>скрыто</a> "
    "<a href=\"doc:" + kUnknown + "\">нет</a></p>"
    "<img src=\"assets/images/Landscape_6.jpg\"><img src=\"/assets/images/pic.png\">"
    "<img src=\"Assets/images/pic.png\"><img src='assets/images/pic.png'>"
    "<TABLE><TR>\n<th>A</th><td class=\"x\">B</td></TR><tr><td>C</td></tr></TABLE>"
    "<table><tr><td>D</td></tr></table>"
    "<p>zero\u200Bwidth\u00ADsoft\uFEFFjoin\u200C\u200D\u2060</p>";

const std::string kIntroBodyPublished =
    "<p style=\"background-color: transparent\">Версия Pagewell &lt;Pro&gt;</p>"
    "<p><a href=\"" + kChild + ".html\">к дочерней</a> <a href=\"#\">скрыто</a> <a href=\"#\">нет</a></p>"
    "<img src=\"../assets/images/Landscape_6.jpg\"><img src=\"../assets/images/pic.png\">"
    "<img src=\"../assets/images/pic.png\"><img src='assets/images/pic.png'>"
    "<TABLE><TR>\n<th bgcolor=\"#112233\" style=\"background-color: #112233;\">A</th>"
    "<td class=\"x\" bgcolor=\"#112233\" style=\"background-color: #112233;\">B</td></TR><tr><td>C</td></tr></TABLE>"
    "<table><tr><td>D</td></tr></table>"
    "<p>zerowidthsoftjoin</p>";

std::string PageHead(const std::string& AHeaderBg) {
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
           "<link rel=\"stylesheet\" href=\"../style.css\"><style>body{margin:0;background:#00EEFF;}"
           ".sv-header{padding:12px 16px;background:" + AHeaderBg + ";}.sv-body{padding:16px;}.sv-body p{margin:0;}"
           ".sv-footer{padding:10px 16px;font-size:12px;color:#666;border-top:1px solid #d0d0d0;}</style></head><body>";
}
const std::string kFooter = "<div class=\"sv-footer\">© 2026 &lt;Me&gt; &amp; &quot;Co&quot;</div></body></html>";
const std::string kTitleHeader = "<div class=\"sv-header\"><div style=\"font-size:14px;\"><b>Docs &amp; Co</b></div></div>";

TProjectSettings ChmSettings() {
    TProjectSettings s;
    s.ProjTitle = "Docs & Co";
    s.DefaultPageBgColor = 0xFFEE00;    // #00EEFF
    s.DefaultHeaderBgColor = 0x332211;  // #112233
    s.CopyrightEnabled = true;
    s.CopyrightText = "© 2026 <Me> & \"Co\"";
    return s;
}

// The dictionary order (kForeign, kNested, kIntro, kHidden, kChild) differs from the table of
// contents (kIntro, kHidden > kChild, kForeign > kNested).
void WriteChmProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle("Docs & Co");
    AddFixedTopic(AProject, kForeign, "Title 日本");
    AddFixedTopic(AProject, kNested, "Nested", kForeign);
    AddFixedTopic(AProject, kIntro, "Введение");
    AddFixedTopic(AProject, kHidden, "Hidden parent").SetExcludeChm(true);
    AddFixedTopic(AProject, kChild, "Дочерняя тема", kHidden);
    AProject.RootTopicIDs() = {kIntro, kHidden, kForeign};
    SaveProjectFolder(AProject);

    PutFile(CombinePath(ARoot, "topics/" + kIntro + ".html"), kIntroBody);
    PutFile(CombinePath(ARoot, "topics/" + kHidden + ".html"), "<p>hidden <img src=\"assets/images/Landscape_3.jpg\"></p>");
    PutFile(CombinePath(ARoot, "topics/" + kChild + ".html"), "<p>Child body</p>");
    // kForeign has no body file.
    PutFile(CombinePath(ARoot, "topics/" + kNested + ".html"),
            "<img src = '/assets/images/Landscape_6.jpg'><img src=\"assets/photos/Portrait_2.jpg\">"
            "<img src=\"assets/../../outside.jpg\">{snip:Pic}");
    PutFile(CombinePath(ARoot, "meta/header_" + kIntro + ".html"), "<b>Заголовок</b>");
    PutFile(CombinePath(ARoot, "meta/headerbg_" + kIntro + ".txt"), " #123456 ");
    PutFile(CombinePath(ARoot, "assets/images/Landscape_6.jpg"), GetFile(PhotoPath("Landscape_6.jpg")));
    PutFile(CombinePath(ARoot, "assets/images/Landscape_3.jpg"), GetFile(PhotoPath("Landscape_3.jpg")));
    PutFile(CombinePath(ARoot, "assets/images/Landscape_8.jpg"), GetFile(PhotoPath("Landscape_8.jpg")));
    PutFile(CombinePath(ARoot, "assets/images/pic.png"), std::string("\x89PNG\r\n\x1a\n\0\1", 10));
    PutFile(CombinePath(ARoot, "assets/photos/Portrait_2.jpg"), GetFile(PhotoPath("Portrait_2.jpg")));
    ChmSettings().SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ARoot));

    TReusableProjectContent store;
    store.Variables().push_back({"Product", "Pagewell <Pro>"});
    store.Snippets().push_back({"Pic", "<img src=\"assets/images/Landscape_8.jpg\">"});
    store.SaveToProject(AProject);
}

std::string Crlf(std::initializer_list<std::string> ALines) {
    std::string s;
    for (const std::string& l : ALines)
        s += l + "\r\n";
    return s;
}

std::string Sitemap(const std::string& ATitle, const std::string& AID) {
    return Crlf({"<LI><OBJECT type=\"text/sitemap\">", "<param name=\"Name\" value=\"" + ATitle + "\">",
                 "<param name=\"Local\" value=\"topics/" + AID + ".html\">", "</OBJECT>"});
}

std::string Decoded(const std::string& AFile) { return Cp1251ToUtf8(GetFile(AFile)); }

}  // namespace

TEST(ExportChm, WritesEveryFileExactlyAndCompilesAReadableHelpFile) {
    TTempDir dir;
    TDocProject project;
    WriteChmProject(dir / "Docs", project);
    const std::string out = dir / "Docs/build/chm";
    PutFile(out + "/assets/stale.txt", "left from an earlier run");
    const auto projectAssets = Snapshot(dir / "Docs/assets");
    TScopedEnv locale("LC_ALL", "C");

    const TChmExportResult result = ExportChm(project);

    // Pages: table-of-contents order, the excluded root's child included.
    const std::vector<std::string> pages = {"topics/" + kIntro + ".html", "topics/" + kChild + ".html",
                                            "topics/" + kForeign + ".html", "topics/" + kNested + ".html"};
    EXPECT_EQ(result.Pages, pages);
    EXPECT_FALSE(FileExists(out + "/topics/" + kHidden + ".html"));
    EXPECT_FALSE(FileExists(out + "/assets/stale.txt"));  // the folder is replaced as a whole
    EXPECT_EQ(Decoded(out + "/topics/" + kIntro + ".html"),
              PageHead("#123456") + "<div class=\"sv-header\"><b>Заголовок</b></div><div class=\"sv-body\">" +
                  kIntroBodyPublished + "</div>" + kFooter);
    EXPECT_EQ(Decoded(out + "/topics/" + kChild + ".html"),
              PageHead("#fafafa") + kTitleHeader + "<div class=\"sv-body\"><p>Child body</p></div>" + kFooter);
    EXPECT_EQ(Decoded(out + "/topics/" + kForeign + ".html"),
              PageHead("#fafafa") + kTitleHeader + "<div class=\"sv-body\"></div>" + kFooter);
    // Windows-1251 on disk: the Cyrillic header as single bytes.
    EXPECT_NE(GetFile(out + "/topics/" + kIntro + ".html").find("<b>\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA</b>"),
              std::string::npos);

    const TProjectSettings settings = ChmSettings();
    EXPECT_EQ(GetFile(out + "/style.css"),
              "body{font-family:Segoe UI,Arial;line-height:1.5;}p{margin:0;}" + BuildChmSettingsCss(&settings));

    EXPECT_EQ(Decoded(out + "/toc.hhc"),
              Crlf({"<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">", "<HTML>", "<HEAD>",
                    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">", "</HEAD>",
                    "<BODY>", "<OBJECT type=\"text/site properties\"></OBJECT>", "<UL>"}) +
                  Sitemap("Введение", kIntro) + Sitemap("Title ??", kForeign) + Crlf({"<UL>"}) +
                  Sitemap("Nested", kNested) + Crlf({"</UL>", "</UL>", "</BODY>", "</HTML>"}));
    // Without index entries: one entry per title in dictionary order, in UTF-8 for chmcmd.
    EXPECT_EQ(GetFile(out + "/index.hhk"),
              Crlf({"<HTML><BODY><UL>"}) + Sitemap("Title 日本", kForeign) + Sitemap("Nested", kNested) +
                  Sitemap("Введение", kIntro) + Sitemap("Дочерняя тема", kChild) + Crlf({"</UL></BODY></HTML>"}));
    EXPECT_EQ(Decoded(out + "/project.hhp"),
              Crlf({"[OPTIONS]", "Compiled file=help.chm", "Contents file=toc.hhc", "Index file=index.hhk",
                    "Default topic=" + pages[0], "Full-text search=Yes", "Language=0x0419 Russian", "", "[FILES]",
                    "toc.hhc", "index.hhk",
                    pages[0], pages[1], pages[2], pages[3], "style.css",
                    "assets/images\\Landscape_3.jpg", "assets/images\\Landscape_6.jpg",
                    "assets/images\\Landscape_8.jpg", "assets/images\\pic.png", "assets/photos\\Portrait_2.jpg"}));

    // Orientation: the copy used by two topics rotated once; the mirrored photo, the photo of the
    // excluded topic and the one only a snippet names are left; the project's files never change.
    EXPECT_EQ(result.Rotated, std::vector<std::string>{CombinePath(ExpandFileName(out), "assets/images/Landscape_6.jpg")});
    const std::string rotated = GetFile(out + "/assets/images/Landscape_6.jpg");
    EXPECT_EQ(ReadJpegOrientation(out + "/assets/images/Landscape_6.jpg"), 1);
    const TRgbImage upright = DecodeJpegRgb(rotated, "copy");
    EXPECT_EQ(upright.Width, 1800);
    EXPECT_EQ(upright.Height, 1200);
    EXPECT_EQ(GetFile(out + "/assets/images/Landscape_3.jpg"), GetFile(PhotoPath("Landscape_3.jpg")));
    EXPECT_EQ(GetFile(out + "/assets/images/Landscape_8.jpg"), GetFile(PhotoPath("Landscape_8.jpg")));
    EXPECT_EQ(GetFile(out + "/assets/photos/Portrait_2.jpg"), GetFile(PhotoPath("Portrait_2.jpg")));
    EXPECT_EQ(Snapshot(dir / "Docs/assets"), projectAssets);

    // The compiled file, read back with a real CHM reader.
    EXPECT_TRUE(result.FullTextSearch);
    EXPECT_EQ(result.Notes, std::vector<std::string>{"These titles cannot be shown exactly in the CHM contents: \"Title 日本\""});
    EXPECT_EQ(result.ChmFile, CombinePath(ExpandFileName(out), "help.chm"));
    ASSERT_TRUE(ExtractChm(result.ChmFile, dir / "unpacked"));
    for (const std::string& p : pages)
        EXPECT_EQ(GetFile(dir / "unpacked/" + p), GetFile(out + "/" + p)) << p;
    for (const char* f : {"toc.hhc", "index.hhk", "style.css", "assets/images/pic.png",
                          "assets/photos/Portrait_2.jpg"})
        EXPECT_EQ(GetFile(dir / "unpacked/" + f), GetFile(out + "/" + f)) << f;
    EXPECT_EQ(GetFile(dir / "unpacked/assets/images/Landscape_6.jpg"), rotated);
    EXPECT_NE(Decoded(dir / "unpacked/topics/" + kIntro + ".html").find("Версия Pagewell &lt;Pro&gt;"), std::string::npos);
    EXPECT_FALSE(FileExists(dir / "unpacked/topics/" + kHidden + ".html"));

    // Runs on one worker and on four write the same sources, with more photographs to turn than
    // workers (a new topic names four more and one already seen), listed in the same order.
    const std::string kPhotos(32, '9');
    AddFixedTopic(project, kPhotos, "Photos");
    SaveProjectFolder(project);
    std::string photos = "<img src=\"assets/images/Landscape_6.jpg\">";
    for (const char* name : {"Portrait_8.jpg", "Landscape_3.jpg", "Portrait_6.jpg", "Landscape_1.jpg", "Landscape_8.jpg"}) {
        photos += std::string("<img src=\"assets/more/") + name + "\">";
        PutFile(dir / (std::string("Docs/assets/more/") + name), GetFile(PhotoPath(name)));
    }
    PutFile(dir / ("Docs/topics/" + kPhotos + ".html"), photos);
    const std::string moreOut = CombinePath(ExpandFileName(out), "assets/more/");
    const std::vector<std::string> rotatedAll = {CombinePath(ExpandFileName(out), "assets/images/Landscape_6.jpg"),
                                                 moreOut + "Portrait_8.jpg", moreOut + "Landscape_3.jpg",
                                                 moreOut + "Portrait_6.jpg", moreOut + "Landscape_8.jpg"};
    std::map<std::string, std::string> firstSources;
    for (unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        TChmExportOptions options;
        options.Publish.Threads = threads;
        EXPECT_EQ(ExportChm(project, options).Rotated, rotatedAll);
        auto sources = Snapshot(out);
        sources.erase("help.chm");
        if (firstSources.empty())
            firstSources = sources;
        else
            EXPECT_EQ(sources, firstSources);
    }
    EXPECT_EQ(firstSources.at("assets/images/Landscape_6.jpg"), rotated);
    EXPECT_EQ(ReadJpegOrientation(out + "/assets/more/Portrait_6.jpg"), 1);
    EXPECT_EQ(firstSources.at("assets/more/Landscape_1.jpg"), GetFile(PhotoPath("Landscape_1.jpg")));
}

TEST(ExportChm, CyrillicOnlyProjectCompilesWithoutFullTextSearchAndSaysSo) {
    TTempDir dir;
    TDocProject project;
    WriteCyrillicOnlyProject(dir / "Ru", project);
    TScopedEnv locale("LC_ALL", "C");
    const TChmExportResult result = ExportChm(project);
    if (ExtractFileName(result.Compiler) != "chmcmd")
        GTEST_SKIP() << "the crash is chmcmd's; compiler here: " << result.Compiler;
    EXPECT_FALSE(result.FullTextSearch);
    ASSERT_EQ(result.Notes.size(), 1u);
    EXPECT_NE(result.Notes[0].find("without full-text search"), std::string::npos) << result.Notes[0];
    const std::string out = dir / "Ru/build/chm";
    EXPECT_NE(Decoded(out + "/project.hhp").find("Full-text search=Yes\r\n"), std::string::npos);
    EXPECT_FALSE(FileExists(out + "/project-nosearch.hhp"));
    ASSERT_TRUE(ExtractChm(result.ChmFile, dir / "unpacked"));
    EXPECT_NE(Decoded(dir / "unpacked/topics/" + std::string(32, '7') + ".html").find("<p>Привет</p>"), std::string::npos);
    EXPECT_EQ(ChmSystemLanguage(dir / "unpacked"), 0x0419u);  // the project file without search declares it too
}

TEST(ExportChm, FailedCompilesAreReportedWithTheCompilerAndItsOutput) {
    TTempDir dir;
    TDocProject project;
    WriteCyrillicOnlyProject(dir / "Ru", project);
    struct Case { const char* name; const char* script; const char* expected; } cases[] = {
        {"exits non-zero", "echo line one; echo 'error: bad topic'; exit 3", "failed with exit code 3:\nline one\nerror: bad topic"},
        {"writes nothing", "echo done; exit 0", "did not write help.chm:\ndone"},
        {"writes an empty file", ": > help.chm; exit 0", "did not write help.chm"},
        {"crashes", "kill -SEGV $$", "crashed (signal 11)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PutFile(dir / "bin/hhc", std::string("#!/bin/sh\n") + c.script + "\n");
        std::filesystem::permissions(dir / "bin/hhc", std::filesystem::perms::owner_all);
        TScopedEnv path("PATH", dir / "bin");
        PutFile(dir / "Ru/build/chm/help.chm", "an old compiled file");
        try {
            ExportChm(project);
            ADD_FAILURE() << "no error";
        } catch (const EAppError& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find("The help compiler " + (dir / "bin/hhc")), std::string::npos) << msg;
            EXPECT_NE(msg.find(c.expected), std::string::npos) << msg;
        }
        // The failed publication leaves the previous output whole and nothing beside it.
        EXPECT_EQ(Snapshot(dir / "Ru/build"), (std::map<std::string, std::string>{{"chm/help.chm", "an old compiled file"}}));
    }
    TScopedEnv path("PATH", dir / "nowhere");
    SetBundledChmcmd("");
    try {
        ExportChm(project);
        ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Failed to run hhc.exe", 0), 0u) << e.what();
    }
    SetBundledChmcmd(std::nullopt);
    EXPECT_FALSE(FileExists(dir / "Ru/build/chm/project.hhp"));
}

TEST(ExportChm, NothingIncludedIsAClearErrorBeforeAnythingIsWritten) {
    TTempDir dir;
    TDocProject project;
    project.SetRootPath(IncludeTrailingPathDelimiter(dir / "P"));
    AddFixedTopic(project, kIntro, "Only").SetExcludeChm(true);
    AddFixedTopic(project, kChild, "Child", kIntro).SetExcludeChm(true);
    for (int pass = 0; pass < 2; ++pass) {
        try {
            ExportChm(project);
            ADD_FAILURE() << "no error";
        } catch (const EAppError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Nothing to publish", 0), 0u) << e.what();
        }
        EXPECT_FALSE(DirectoryExists(dir / "P/build"));
        project.Clear();  // no topics at all
    }
}

TEST(ExportChm, ATopicIdThatIsAPathIsRefusedBeforeAnythingIsWritten) {
    TTempDir dir;
    TDocProject project;
    project.SetRootPath(IncludeTrailingPathDelimiter(dir / "P"));
    AddFixedTopic(project, kIntro, "Fine");
    AddFixedTopic(project, "../../escaped", "Hand-edited");
    try {
        ExportChm(project);
        ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
        EXPECT_STREQ(e.what(), "Invalid topic id: ../../escaped");
    }
    EXPECT_FALSE(DirectoryExists(dir / "P/build"));
    EXPECT_FALSE(FileExists(dir / "escaped.html"));
}

TEST(ChmProjectFiles, TocWritesATopicOnceEvenInACycle) {
    TTempDir dir;
    TDocProject project;
    project.SetRootPath(IncludeTrailingPathDelimiter(dir.Path()));
    AddFixedTopic(project, kIntro, "Loop");
    project.GetTopic(kIntro).Children().push_back(kIntro);  // hand-edited tree listing itself
    project.GetTopic(kIntro).Children().push_back(kUnknown);
    WriteChmToc(project, dir.Path(), TWindowsCodePage::Get(1251));
    const std::string toc = Decoded(dir / "toc.hhc");
    EXPECT_NE(toc.find(Sitemap("Loop", kIntro) + "<UL>\r\n</UL>\r\n</UL>\r\n"), std::string::npos) << toc;
}

TEST(ChmPage, FirstTableRowWithoutARowAndArgumentText) {
    EXPECT_EQ(ColorFirstTableRow("<table><td>x</td></table>", "#000000"), "<table><td>x</td></table>");
    EXPECT_EQ(ColorFirstTableRow("<tr><td style=\"a\">1</td><tdx></tr><tr><td>2</td></tr>", "#ABCDEF"),
              "<tr><td style=\"a\" bgcolor=\"#ABCDEF\" style=\"background-color: #ABCDEF;\">1</td><tdx></tr>"
              "<tr><td>2</td></tr>");
    EXPECT_EQ(SplitArgumentText("\"/a b/project.hhp\" -x"), (std::vector<std::string>{"/a b/project.hhp", "-x"}));
}

TEST(ChmPage, StyleAndScriptElementsGetEscapesWhereTextGetsReferences) {
    const std::string html = "<p title=\"Größe\">日</p><STYLE type=\"text/css\">p:after{content:\"→\"}</Style>"
                             "<script>var s = \"é😀\";</script ><style></style><p>ü</p>";
    EXPECT_EQ(EncodeChmPage(html, TWindowsCodePage::Get(1251)),
              "<p title=\"Gr&#246;&#223;e\">&#26085;</p><STYLE type=\"text/css\">p:after{content:\"\\2192 \"}</Style>"
              "<script>var s = \"\\u00E9\\uD83D\\uDE00\";</script ><style></style><p>&#252;</p>");
    EXPECT_EQ(EncodeChmPage("<p>Ёж</p>", TWindowsCodePage::Get(1251)), Utf8ToCp1251("<p>Ёж</p>"));
}
