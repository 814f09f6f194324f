// The PDF publisher: the manual document and style sheet byte for byte, the assets copy, and
// the PDF printed by the real pagewell-pdf, read back with poppler's pdftotext and pdfimages.
#include "uExportPdf.h"
#include "uProcess.h"
#include "uSettingsCss.h"

#include "WebHelpFixture.h"
#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using webhelp_fixture::AddFixedTopic;

namespace {

const std::string kA(32, 'A'), kB(32, 'B'), kC(32, 'C'), kD(32, 'D');
const std::string kX(32, 'E'), kY(32, 'F');  // excluded subtree: X excluded, Y its child
const std::string kUnknown = "0123456789abcdef0123456789ABCDEF";
std::string LevelId(int ALevel) { return std::string(32, char('0' + ALevel)); }

const std::string kBodyA = "<p>Hello {var:Product}</p>\r\n<p><a href=\"doc:" + kX + "\">excluded</a> <a href='DOC:" +
                           kUnknown + "'>unknown</a> <a href = \"doc:" + kC +
                           "\">child</a></p>\r\n<img src=\"assets/images/pic.jpg\" width=\"320\">";
const std::string kNbsp = "\xC2\xA0";

// A (B, C, X excluded (Y)), D (Level 1 (Level 2 ( ... Level 7))), in a folder with spaces.
void WriteManualProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle("Docs & <More>");
    AddFixedTopic(AProject, kA, "Alpha");
    AddFixedTopic(AProject, kB, "Beta", kA);
    AddFixedTopic(AProject, kC, "Gamma", kA);
    AddFixedTopic(AProject, kX, "Secret part", kA).SetExcludePdf(true);
    AddFixedTopic(AProject, kY, "Secret child", kX);
    AddFixedTopic(AProject, kD, "Delta");
    std::string parent = kD;
    for (int level = 1; level <= 7; ++level) {
        AddFixedTopic(AProject, LevelId(level), "Level " + IntToStr(level), parent);
        parent = LevelId(level);
    }
    SaveProjectFolder(AProject);

    PutFile(CombinePath(ARoot, "topics/" + kA + ".html"), kBodyA);
    PutFile(CombinePath(ARoot, "topics/" + kB + ".html"), "<p>Bravo body</p>");
    // Gamma has no body file.
    PutFile(CombinePath(ARoot, "topics/" + kX + ".html"), "<p>Classified text</p>");
    PutFile(CombinePath(ARoot, "topics/" + kY + ".html"), "<p>Classified child</p>");
    PutFile(CombinePath(ARoot, "topics/" + kD + ".html"), "<p>Delta body</p>");
    PutFile(CombinePath(ARoot, "meta/header_default.html"), "<div><b></b></div>");  // blank: titles
    PutFile(CombinePath(ARoot, "meta/header_" + kA + ".html"), "<p>Start&nbsp;here</p>");
    PutFile(CombinePath(ARoot, "meta/header_" + kB + ".html"), "<div>" + kNbsp + "<b>" + kNbsp + "</b> </div>");
    PutFile(CombinePath(ARoot, "meta/header_" + kC + ".html"), "<b>Cats &amp; Dogs&#33;</b>" + kNbsp + "\n");
    PutFile(CombinePath(ARoot, "styles/default.css"), "body{color:#222}");
    PutFile(CombinePath(ARoot, "assets/images/pic.jpg"),
            GetFile(std::string(PAGEWELL_TEST_DATA_DIR) + "/exif-orientation/Landscape_1.jpg"));
    PutFile(CombinePath(ARoot, "assets/files/deep/note.txt"), "note");
    EnsureDir(CombinePath(ARoot, "assets/empty"));

    TProjectSettings settings;
    settings.FontSizeBody = 13;
    settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ARoot));
    TReusableProjectContent store;
    store.Variables().push_back({"Product", "Pagewell <Pro>"});
    store.SaveToProject(AProject);
}

std::string CrLfLines(std::initializer_list<std::string> ALines) {
    std::string out;
    for (const std::string& l : ALines)
        out += l + "\r\n";
    return out;
}

std::string Section(const std::string& AID, const std::string& ATag, const std::string& AHeading,
                    const std::string& ABody) {
    return CrLfLines({"<section id=\"" + AID + "\">", "<" + ATag + ">" + AHeading + "</" + ATag + ">", ABody,
                      "</section>"});
}

std::string ExpectedManual() {
    std::string levels;
    for (int level = 1; level <= 7; ++level)
        levels += Section(LevelId(level), "h" + IntToStr(std::min(level + 1, 6)), "Level " + IntToStr(level), "");
    return CrLfLines({"<!doctype html>", "<html>", "<head>", "<meta charset=\"utf-8\">",
                      "<title>Docs &amp; &lt;More&gt;</title>", "<link rel=\"stylesheet\" href=\"style.css\">",
                      "<style>", "@page {", "  size: auto;", "  margin: 0mm;", "}", "html, body { margin:20; }",
                      "</style>", "</head>", "<body>"}) +
           Section(kA, "h1", "Start here",
                   "<p>Hello Pagewell &lt;Pro&gt;</p>\r\n<p><a href=\"#" + kX + "\">excluded</a> <a href=\"#\">unknown</a> "
                   "<a href=\"#" + kC + "\">child</a></p>\r\n<img src=\"assets/images/pic.jpg\" width=\"320\">") +
           Section(kB, "h2", "Beta", "<p>Bravo body</p>") + Section(kC, "h2", "Cats &amp; Dogs!", "") +
           Section(kD, "h1", "Delta", "<p>Delta body</p>") + levels + CrLfLines({"</body>", "</html>"});
}

std::string ProjectRoot(const TTempDir& ATmp) { return ATmp / "My Manuals/Project One"; }

// Runs a program and returns what it wrote to stdout (through a file, no shell quoting).
std::string RunAndCapture(const std::vector<std::string>& AArgs, const std::string& AOutFile) {
    std::vector<std::string> args = {"/bin/sh", "-c", "\"$0\" \"$@\" > \"$OUT\""};
    args.insert(args.end(), AArgs.begin(), AArgs.end());
    TScopedEnv out("OUT", AOutFile);
    EXPECT_EQ(RunProcessAndWait(args), 0) << AArgs[0];
    return GetFile(AOutFile);
}

std::string Tool(const char* AName) {
    const char* path = std::getenv("PATH");
    return FindExecutableOnPath(AName, path ? path : "/usr/bin:/bin");
}

// Our own printer only: no browser from PATH, pagewell-pdf from the build's bin folder.
TPdfExportOptions RealPrinter(std::vector<std::string>* AOpened = nullptr) {
    TPdfExportOptions o;
    o.FPrinterSearch = {"", PAGEWELL_APP_DIR};
    if (AOpened)
        o.FOpenFile = [AOpened](const std::string& AFile) { AOpened->push_back(AFile); };
    return o;
}

bool HaveBundledPrinter() { return IsExecutableFile(std::string(PAGEWELL_APP_DIR) + "/" + BundledPdfPrinterName); }

}  // namespace

TEST(ExportPdf, manualDocumentIsByteExact) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    EXPECT_EQ(BuildManualHtml(project), ExpectedManual());
}

TEST(ExportPdf, headingTagsAndHeadingTexts) {
    const std::pair<int, const char*> tags[] = {{-3, "h1"}, {0, "h1"}, {1, "h2"}, {4, "h5"}, {5, "h6"}, {7, "h6"}};
    for (const auto& [depth, tag] : tags)
        EXPECT_EQ(HeadingTagForDepth(depth), tag) << depth;

    const std::pair<std::string, std::string> texts[] = {
        {"<div style=\"x\"><b>Title</b></div>", "Title"},
        {"<b>" + kNbsp + "</b>" + kNbsp + " <br>", ""},
        {"<i>A&nbsp;&amp;&nbsp;B</i>", "A & B"},
        {"&amp;nbsp; &lt;tag&gt; &#65;&#66; &copy;", "&nbsp; <tag> AB &copy;"},
        {" 1 < 2 ", "1 < 2"},
        {"a <b>bold</b> <unclosed", "a bold <unclosed"},
    };
    for (const auto& [html, text] : texts)
        EXPECT_EQ(PlainHeaderTitle(html), text) << html;

    TTempDir tmp;
    TDocProject project;
    project.SetRootPath(tmp.Path());
    EXPECT_EQ(PdfHeadingText(project, kA, "No files"), "No files");
    PutFile(tmp / ("meta/header_" + kA + ".html"), "   ");
    PutFile(tmp / "meta/header_default.html", "<b>Project default</b>");
    EXPECT_EQ(PdfHeadingText(project, kA, "Own blank file"), "Own blank file");
    EXPECT_EQ(PdfHeadingText(project, kB, "Uses default"), "Project default");
}

TEST(ExportPdf, styleSheetAddsParagraphRuleOnlyWithoutExactText) {
    TTempDir tmp;
    TDocProject project;
    project.SetRootPath(tmp.Path());
    TProjectSettings settings;
    settings.DefaultFontName = "Georgia";
    settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(tmp.Path()));
    const std::string overrides = BuildSettingsCss(&settings);
    const std::string rule = "\r\np { margin: 0; }";

    EXPECT_EQ(BuildPdfStyleSheet(project), "body{font-family:Segoe UI,Arial;line-height:1.5;margin:0;}" + rule + overrides);
    const std::pair<std::string, bool> sheets[] = {
        {"h1{}\r\np { margin-top: 4px }", false},
        {"/* p { margin */", false},
        {"P { MARGIN: 0 }", true},
        {"p{margin:0}", true},
    };
    for (const auto& [sheet, addsRule] : sheets) {
        PutFile(tmp / "styles/default.css", sheet);
        EXPECT_EQ(BuildPdfStyleSheet(project), sheet + (addsRule ? rule : "") + overrides) << sheet;
    }
    // Another profile name picks its own sheet; a missing or unreadable settings file gives defaults.
    project.SetStyleProfile("print");
    PutFile(tmp / "styles/print.css", "p { margin: 1em }");
    PutFile(TProjectSettings::DefaultSettingsPathForProject(tmp.Path()), "not json");
    const TProjectSettings defaults;
    EXPECT_EQ(BuildPdfStyleSheet(project), "p { margin: 1em }" + BuildSettingsCss(&defaults));
}

TEST(ExportPdf, noPrinterStillWritesDocumentStyleSheetAndAssets) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    const std::string out = PdfOutputFolder(project);
    PutFile(CombinePath(out, "assets/files/deep/note.txt"), "old");
    PutFile(CombinePath(out, "assets/kept.txt"), "from an earlier run");
    std::vector<std::string> opened;
    TPdfExportOptions options;
    options.FPrinterSearch = {"", tmp / "nowhere"};
    options.FOpenFile = [&](const std::string& AFile) { opened.push_back(AFile); };

    try {
        ExportPdf(project, out, options);
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_STREQ(e.what(), "Microsoft Edge not found");
    }
    EXPECT_EQ(GetFile(CombinePath(out, "manual.html")), ExpectedManual());
    EXPECT_EQ(GetFile(CombinePath(out, "style.css")), BuildPdfStyleSheet(project));
    EXPECT_EQ(GetFile(CombinePath(out, "assets/images/pic.jpg")),
              GetFile(CombinePath(ProjectRoot(tmp), "assets/images/pic.jpg")));
    EXPECT_EQ(GetFile(CombinePath(out, "assets/files/deep/note.txt")), "note");
    EXPECT_EQ(GetFile(CombinePath(out, "assets/kept.txt")), "from an earlier run");
    EXPECT_FALSE(DirectoryExists(CombinePath(out, "assets/empty")));
    EXPECT_TRUE(opened.empty());
}

TEST(ExportPdf, printerThatWritesNothingTimesOutEvenWithAnOldPdfPresent) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    const std::string out = PdfOutputFolder(project);
    PutFile(CombinePath(out, "manual.pdf"), "%PDF from the last run");
    PutFile(CombinePath(out, "manual.html"), "old manual");
    const std::string app = tmp / "app";
    PutFile(CombinePath(app, "pagewell-pdf"), "#!/bin/sh\nexit 0\n");
    ::chmod(CombinePath(app, "pagewell-pdf").c_str(), 0755);
    TPdfExportOptions options;
    options.FPrinterSearch = {"", app};
    bool opened = false;
    options.FOpenFile = [&](const std::string&) { opened = true; };

    const auto start = std::chrono::steady_clock::now();
    try {
        ExportPdf(project, out, options);
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_STREQ(e.what(), "PDF file was not created in time");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(PdfWaitTimeoutMs));
    EXPECT_FALSE(FileExists(CombinePath(out, "manual.pdf")));
    EXPECT_EQ(GetFile(CombinePath(out, "manual.html")), ExpectedManual());
    EXPECT_FALSE(opened);
}

TEST(ExportPdf, realPrinterWritesReadablePdfAndReplacesBothFilesOnTheNextRun) {
    if (!HaveBundledPrinter())
        GTEST_SKIP() << "pagewell-pdf is not built (no Qt WebEngine)";
    const std::string pdftotext = Tool("pdftotext"), pdfimages = Tool("pdfimages");
    ASSERT_FALSE(pdftotext.empty() || pdfimages.empty()) << "poppler-utils missing (scripts/install-deps)";
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    const std::string out = PdfOutputFolder(project);
    const std::string pdf = CombinePath(out, "manual.pdf");
    std::vector<std::string> opened;

    ExportPdf(project, out, RealPrinter(&opened));

    EXPECT_EQ(opened, std::vector<std::string>{pdf});
    ASSERT_EQ(GetFile(pdf).substr(0, 5), "%PDF-");
    const std::string text = RunAndCapture({pdftotext, pdf, "-"}, tmp / "text.txt");
    const char* inOrder[] = {"Start here", "Hello Pagewell <Pro>", "Beta", "Bravo body", "Cats & Dogs!",
                             "Delta", "Delta body", "Level 1", "Level 4", "Level 7"};
    size_t at = 0;
    for (const char* piece : inOrder) {
        const size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " missing or out of order in:\n" << text;
        at = found + 1;
    }
    for (const char* absent : {"Secret", "Classified", "Gamma"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    const std::string images = RunAndCapture({pdfimages, "-list", pdf}, tmp / "images.txt");
    EXPECT_NE(images.find(" 1800  1200 "), std::string::npos) << images;

    // Second run after the project changed: both files are new.
    PutFile(CombinePath(ProjectRoot(tmp), "topics/" + kD + ".html"), "<p>Second edition</p>");
    ExportPdf(project, out, RealPrinter());
    EXPECT_NE(GetFile(CombinePath(out, "manual.html")).find("<p>Second edition</p>"), std::string::npos);
    const std::string text2 = RunAndCapture({pdftotext, pdf, "-"}, tmp / "text2.txt");
    EXPECT_NE(text2.find("Second edition"), std::string::npos);
    EXPECT_EQ(text2.find("Delta body"), std::string::npos);
}
