// The PDF publisher: the manual document and style sheet byte for byte, the assets copy, and
// the PDF printed by the real pagewell-pdf, read back with poppler's pdftotext, pdfimages and
// pdfinfo and with qpdf (bookmarks, document information).
#include "uExportPdf.h"
#include "uPdfHeadingSearch.h"
#include "uPdfOutline.h"
#include "uProcess.h"
#include "uSettingsCss.h"

#include "PdfFixture.h"
#include "WebHelpFixture.h"
#include "common/TestHelpers.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <tuple>
#include <sys/stat.h>

using webhelp_fixture::AddFixedTopic;
using pdf_fixture::RunAndCapture;
using pdf_fixture::Tool;

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
                      "<style>", "@page {", "  size: A4;", "  margin: 20mm 18mm 25mm;", "}", "html, body { margin:0; }",
                      "</style>", "</head>", "<body>"}) +
           Section(kA, "h1", "Start here",
                   "<p>Hello Pagewell &lt;Pro&gt;</p>\r\n<p><a href=\"#" + kX + "\">excluded</a> <a href=\"#\">unknown</a> "
                   "<a href=\"#" + kC + "\">child</a></p>\r\n<img src=\"assets/images/pic.jpg\" width=\"320\">") +
           Section(kB, "h2", "Beta", "<p>Bravo body</p>") + Section(kC, "h2", "Cats &amp; Dogs!", "") +
           Section(kD, "h1", "Delta", "<p>Delta body</p>") + levels + CrLfLines({"</body>", "</html>"});
}

std::string ProjectRoot(const TTempDir& ATmp) { return ATmp / "My Manuals/Project One"; }

// Our own printer only: no browser from PATH, pagewell-pdf from the build's bin folder.
TPdfExportOptions RealPrinter(std::vector<std::string>* AOpened = nullptr) {
    TPdfExportOptions o;
    o.FPrinterSearch = {"", PAGEWELL_APP_DIR};
    if (AOpened)
        o.FOpenFile = [AOpened](const std::string& AFile) { AOpened->push_back(AFile); };
    return o;
}

bool HaveBundledPrinter() { return IsExecutableFile(std::string(PAGEWELL_APP_DIR) + "/" + BundledPdfPrinterName); }

// A browser on PATH that hands its print to our own printer. A browser takes paper and margins
// from the document's @page rule; the engine under pagewell-pdf takes the paper from it but not
// the margins, so the stand-in passes the margins that rule sets, nothing else.
TPdfExportOptions BrowserStandIn(const TTempDir& ATmp) {
    const std::string bin = ATmp / "browser";
    PutFile(CombinePath(bin, "chromium"),
            "#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in --print-to-pdf=*) out=\"$a\";; esac; doc=\"$a\"; done\n"
            "exec '" + std::string(PAGEWELL_APP_DIR) + "/pagewell-pdf' --margin=20,18,25,18 \"$out\" \"$doc\"\n");
    ::chmod(CombinePath(bin, "chromium").c_str(), 0755);
    TPdfExportOptions options;
    options.FPrinterSearch = {bin, ATmp / "no app folder"};
    return options;
}

struct TOutlineEntry {
    std::string FTitle;
    int FDepth;
    int FPage;  // from 1
    bool FOpen;
    size_t FKids;
};

// The outline as qpdf reads it back, flattened in reading order.
std::vector<TOutlineEntry> ReadOutline(const std::string& APdf, const TTempDir& ATmp) {
    const std::string json = RunAndCapture({Tool("qpdf"), "--json", "--json-key=outlines", APdf}, ATmp / "outline.json");
    std::vector<TOutlineEntry> entries;
    std::function<void(const nlohmann::json&, int)> walk = [&](const nlohmann::json& AItems, int ADepth) {
        for (const nlohmann::json& item : AItems) {
            entries.push_back({item.value("title", ""), ADepth, item.value("destpageposfrom1", 0),
                               item.value("open", false), item["kids"].size()});
            walk(item["kids"], ADepth + 1);
        }
    };
    walk(nlohmann::json::parse(json)["outlines"], 0);
    return entries;
}

std::string PdfInfoField(const std::string& APdf, const std::string& AField, const TTempDir& ATmp) {
    const std::string info = RunAndCapture({Tool("pdfinfo"), APdf}, ATmp / "info.txt");
    const size_t at = info.find(AField + ":");
    if (at == std::string::npos)
        return "<missing>";
    const size_t start = info.find_first_not_of(' ', at + AField.size() + 1);
    return info.substr(start, info.find('\n', start) - start);
}

std::string PageText(const std::string& APdf, int APage, const TTempDir& ATmp) {
    const std::string n = IntToStr(APage);
    return RunAndCapture({Tool("pdftotext"), "-f", n, "-l", n, APdf, "-"}, ATmp / "page.txt");
}

}  // namespace

TEST(ExportPdf, manualDocumentIsByteExact) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    EXPECT_EQ(BuildManualHtml(project), ExpectedManual());
    std::string letter = ExpectedManual();
    letter.replace(letter.find("size: A4;"), 9, "size: letter;");
    EXPECT_EQ(BuildManualHtml(project, TPdfPaper::Letter), letter);
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

// A run that fails (here: no printer at all) leaves the previous output as it was.
TEST(ExportPdf, noPrinterLeavesThePreviousOutputWhole) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    const std::string out = PdfOutputFolder(project);
    PutFile(CombinePath(out, "assets/files/deep/note.txt"), "old");
    PutFile(CombinePath(out, "manual.html"), "old manual");
    const auto before = webhelp_fixture::Snapshot(ExtractFileDir(out));
    std::vector<std::string> opened;
    TPdfExportOptions options;
    options.FPrinterSearch = {"", tmp / "nowhere"};
    options.FPaper = TPdfPaper::A4;  // whatever the test's locale
    options.FOpenFile = [&](const std::string& AFile) { opened.push_back(AFile); };

    try {
        ExportPdf(project, out, options);
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_STREQ(e.what(), "Microsoft Edge not found");
    }
    EXPECT_EQ(webhelp_fixture::Snapshot(ExtractFileDir(out)), before);
    EXPECT_TRUE(opened.empty());
}

// A blank page of US Letter, without a cross-reference table: the PDF libraries rebuild it, as
// they do for any damaged file.
const std::string kBlankPdf =
    "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> "
    "endobj\n3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >> endobj\ntrailer << /Root 1 0 R /Size 4 "
    ">>\n%%EOF\n";

// A printer standing in for the real one in <ATmp>/app: notes each document it is given in
// <ATmp>/printed.log and writes ABody for manual.html, AFront for any other document.
TPdfExportOptions FakePrinter(const TTempDir& ATmp, const std::string& ABody, const std::string& AFront) {
    PutFile(ATmp / "body.src", ABody);
    PutFile(ATmp / "front.src", AFront);
    const std::string app = ATmp / "app";
    PutFile(CombinePath(app, "pagewell-pdf"),
            "#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in --print-to-pdf=*) out=\"${a#--print-to-pdf=}\";; esac; "
            "doc=\"$a\"; done\necho \"$doc\" >> '" + ATmp / "printed.log" + "'\n"
            "case \"$doc\" in *manual.html) cat '" + ATmp / "body.src" + "' > \"$out\";; *) cat '" +
            ATmp / "front.src" + "' > \"$out\";; esac\n");
    ::chmod(CombinePath(app, "pagewell-pdf").c_str(), 0755);
    TPdfExportOptions options;
    options.FPrinterSearch = {"", app};
    options.FPaper = TPdfPaper::A4;
    return options;
}

TEST(ExportPdf, successfulRunReplacesTheWholeFolderWithDocumentStyleSheetAssetsAndPdf) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    const std::string out = PdfOutputFolder(project);
    PutFile(CombinePath(out, "assets/files/deep/note.txt"), "old");
    PutFile(CombinePath(out, "assets/kept.txt"), "from an earlier run");
    TPdfExportOptions options = FakePrinter(tmp, kBlankPdf, kBlankPdf);
    std::vector<std::string> opened;
    options.FOpenFile = [&](const std::string& AFile) { opened.push_back(AFile); };
    options.FPublish.Threads = 3;

    const TPdfExportResult result = ExportPdf(project, out, options);

    const std::string pdf = CombinePath(out, "manual.pdf");
    EXPECT_EQ(opened, std::vector<std::string>{pdf});
    // A blank print holds none of the headings: each bookmark and entry falls back to page 1.
    EXPECT_EQ(result.FNotes, std::vector<std::string>{UnresolvedBookmarksNote(11)});
    EXPECT_EQ(pdf_fixture::QpdfJson(pdf, "pages", tmp / "pages.json").size(), 2u) << "front page and body page";
    EXPECT_EQ(GetFile(CombinePath(out, "manual.html")), ExpectedManual());
    EXPECT_EQ(GetFile(CombinePath(out, "style.css")), BuildPdfStyleSheet(project));
    EXPECT_EQ(GetFile(CombinePath(out, "assets/images/pic.jpg")),
              GetFile(CombinePath(ProjectRoot(tmp), "assets/images/pic.jpg")));
    EXPECT_EQ(GetFile(CombinePath(out, "assets/files/deep/note.txt")), "note");
    EXPECT_FALSE(FileExists(CombinePath(out, "assets/kept.txt")));
    EXPECT_FALSE(DirectoryExists(CombinePath(out, "assets/empty")));
    EXPECT_EQ(webhelp_fixture::Snapshot(ExtractFileDir(out)).size(), webhelp_fixture::Snapshot(out).size());  // nothing left beside it
    // The body is printed from manual.html; the front matter from a document in a temporary
    // folder outside the project, gone afterwards.
    const std::vector<std::string> printed = SplitString(Trim(GetFile(tmp / "printed.log")), '\n');
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_TRUE(EndsWith(printed[0], "/manual.html")) << printed[0];
    EXPECT_FALSE(StartsWith(printed[1], "file://" + ProjectRoot(tmp))) << printed[1];
    EXPECT_FALSE(FileExists(printed[1].substr(std::string("file://").size())));
}

// A failure after the body print names its step, and the previous output stays as it was.
TEST(ExportPdf, stepFailureNamesTheStepAndLeavesThePreviousOutput) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    const std::string out = PdfOutputFolder(project);
    PutFile(CombinePath(out, "manual.pdf"), "%PDF from the last run");
    const struct {
        std::string FBody, FFront, FError;
    } cases[] = {
        {"%PDF-1.4 cut short", kBlankPdf, "Finding the heading pages of "},
        {kBlankPdf, "%PDF-1.4 cut short", "Merging the title page and contents into the manual failed: "},
    };
    for (const auto& c : cases) {
        TPdfExportOptions options = FakePrinter(tmp, c.FBody, c.FFront);
        bool opened = false;
        options.FOpenFile = [&](const std::string&) { opened = true; };
        try {
            ExportPdf(project, out, options);
            ADD_FAILURE() << "no error for " << c.FError;
        } catch (const EAppError& e) {
            EXPECT_TRUE(StartsWith(e.what(), c.FError)) << e.what();
            EXPECT_NE(std::string(e.what()).find(" failed: "), std::string::npos) << e.what();
        }
        EXPECT_EQ(GetFile(CombinePath(out, "manual.pdf")), "%PDF from the last run");
        EXPECT_FALSE(opened);
    }
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
    options.FPaper = TPdfPaper::A4;
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
    // The old PDF is never taken for a new one, and stays as the last good output.
    EXPECT_EQ(GetFile(CombinePath(out, "manual.pdf")), "%PDF from the last run");
    EXPECT_EQ(GetFile(CombinePath(out, "manual.html")), "old manual");
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
    // No topic has an index entry: no index pages.
    for (const char* absent : {"Secret", "Classified", "Gamma", "Index"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    const std::string images = RunAndCapture({pdfimages, "-list", pdf}, tmp / "images.txt");
    EXPECT_NE(images.find(" 1800  1200 "), std::string::npos) << images;
    // Bookmarks keep nesting where the headings stop at h6; excluded topics have none.
    std::vector<std::pair<std::string, int>> outline;
    for (const TOutlineEntry& e : ReadOutline(pdf, tmp))
        outline.emplace_back(e.FTitle, e.FDepth);
    std::vector<std::pair<std::string, int>> expected = {{"Start here", 0}, {"Beta", 1}, {"Cats & Dogs!", 1}, {"Delta", 0}};
    for (int level = 1; level <= 7; ++level)
        expected.emplace_back("Level " + IntToStr(level), level);
    EXPECT_EQ(outline, expected);

    // Second run after the project changed: both files are new.
    PutFile(CombinePath(ProjectRoot(tmp), "topics/" + kD + ".html"), "<p>Second edition</p>");
    ExportPdf(project, out, RealPrinter());
    EXPECT_NE(GetFile(CombinePath(out, "manual.html")).find("<p>Second edition</p>"), std::string::npos);
    const std::string text2 = RunAndCapture({pdftotext, pdf, "-"}, tmp / "text2.txt");
    EXPECT_NE(text2.find("Second edition"), std::string::npos);
    EXPECT_EQ(text2.find("Delta body"), std::string::npos);
}

// ---- bookmarks and document information ------------------------------------------------------

namespace {

const std::string kOne(32, 'A'), kOneOverview(32, 'B'), kInstall(32, 'C'), kLong(32, 'D');
const std::string kTwo(32, 'E'), kTwoOverview(32, 'F'), kHidden(32, 'a'), kTips(32, 'b');
const std::string kTipsTitle = "Tips & <Tricks> \xD0\xA1\xD0\xBE\xD0\xB2\xD0\xB5\xD1\x82\xD1\x8B";  // Советы

// Chapter One (Overview (Installing), Long story), Chapter Two (Overview, Hidden heading), Tips.
// Long story runs over several pages; Hidden heading's own style sheet hides its heading.
void WriteBookmarkProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle("Field Guide \xE2\x80\x94 \xD0\xA0\xD1\x83\xD0\xBA\xD0\xBE\xD0\xB2\xD0\xBE\xD0\xB4\xD1\x81\xD1\x82\xD0\xB2\xD0\xBE");
    AddFixedTopic(AProject, kOne, "Chapter One");
    AddFixedTopic(AProject, kOneOverview, "Overview", kOne);
    AddFixedTopic(AProject, kInstall, "Installing", kOneOverview);
    AddFixedTopic(AProject, kLong, "Long story", kOne);
    AddFixedTopic(AProject, kTwo, "Chapter Two");
    AddFixedTopic(AProject, kTwoOverview, "Overview", kTwo);
    AddFixedTopic(AProject, kHidden, "Hidden heading", kTwo);
    AddFixedTopic(AProject, kTips, kTipsTitle);
    SaveProjectFolder(AProject);
    PutFile(CombinePath(ARoot, "topics/" + kOne + ".html"), "<p>This chapter starts with an Overview.</p>");
    std::string story;
    for (int i = 0; i < 120; ++i)
        story += "<p>Paragraph " + IntToStr(i) + " of a story long enough to need several pages.</p>";
    PutFile(CombinePath(ARoot, "topics/" + kLong + ".html"), story);
    PutFile(CombinePath(ARoot, "topics/" + kHidden + ".html"),
            "<style>#" + kHidden + " h2 { display: none }</style><p>Text under a heading nobody sees.</p>");
}

}  // namespace

TEST(ExportPdf, browserPrintGetsBookmarksOnTheHeadingPagesAndDocumentInformation) {
    if (!HaveBundledPrinter())
        GTEST_SKIP() << "pagewell-pdf is not built (no Qt WebEngine)";
    ASSERT_FALSE(Tool("qpdf").empty() || Tool("pdfinfo").empty()) << "qpdf or poppler-utils missing (scripts/install-deps)";
    TTempDir tmp;
    TDocProject project;
    WriteBookmarkProject(ProjectRoot(tmp), project);
    TPdfExportOptions options = BrowserStandIn(tmp);
    const std::string out = PdfOutputFolder(project);
    const std::string manualBefore = BuildManualHtml(project);

    const TPdfExportResult result = ExportPdf(project, out, options);

    const std::string pdf = CombinePath(out, "manual.pdf");
    EXPECT_EQ(result.FPdfFile, pdf);
    EXPECT_EQ(result.FNotes, std::vector<std::string>{UnresolvedBookmarksNote(1)});
    EXPECT_EQ(GetFile(CombinePath(out, "manual.html")), manualBefore);
    const std::vector<TOutlineEntry> outline = ReadOutline(pdf, tmp);
    const std::vector<std::tuple<std::string, int, bool, size_t>> expected = {
        {"Chapter One", 0, true, 2}, {"Overview", 1, false, 1}, {"Installing", 2, false, 0},
        {"Long story", 1, false, 0}, {"Chapter Two", 0, true, 2}, {"Overview", 1, false, 0},
        {"Hidden heading", 1, false, 0}, {kTipsTitle, 0, false, 0}};
    ASSERT_EQ(outline.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& [title, depth, open, kids] = expected[i];
        EXPECT_EQ(outline[i].FTitle, title) << i;
        EXPECT_EQ(outline[i].FDepth, depth) << title;
        EXPECT_EQ(outline[i].FKids, kids) << title;
        if (kids > 0) {
            EXPECT_EQ(outline[i].FOpen, open) << title;
        }
    }
    // Every found heading is on its bookmark's page; the hidden one points at the page before.
    for (size_t i : {0, 1, 2, 3, 4, 5, 7}) {
        const std::string page = PageText(pdf, outline[i].FPage, tmp);
        EXPECT_NE(page.find(i == 7 ? "Tips & <Tricks>" : outline[i].FTitle.c_str()), std::string::npos)
            << outline[i].FTitle << " not on page " << outline[i].FPage << ":\n" << page;
    }
    EXPECT_EQ(outline[6].FPage, outline[5].FPage);
    EXPECT_GT(outline[4].FPage, outline[3].FPage + 1) << "the long story should take several pages";
    EXPECT_GT(outline[5].FPage, outline[1].FPage) << "the second Overview resolved to the first";
    EXPECT_EQ(PdfInfoField(pdf, "Title", tmp), project.Title());
    EXPECT_EQ(PdfInfoField(pdf, "Creator", tmp), std::string("Pagewell ") + PAGEWELL_VERSION);
    EXPECT_EQ(PdfInfoField(pdf, "Producer", tmp), std::string("Pagewell ") + PAGEWELL_VERSION);
    const nlohmann::json objects = nlohmann::json::parse(
        RunAndCapture({Tool("qpdf"), "--json", "--json-key=qpdf", pdf}, tmp / "objects.json"))["qpdf"][1];
    const std::string catalog = "obj:" + objects["trailer"]["value"]["/Root"].get<std::string>();
    EXPECT_EQ(objects[catalog]["value"]["/PageMode"], "/UseOutlines");
}

// Sections share one document: only the anchors that a fragment link points at are renamed, in
// their own section, and such a link names the renamed anchor. Without fragment links the
// manual keeps its bytes, ids included.
TEST(ExportPdf, fragmentLinksPointAtRenamedAnchorsOnly) {
    TTempDir tmp;
    TDocProject project;
    WriteManualProject(ProjectRoot(tmp), project);
    const std::string bodyB = "<h3 id=\"part\">P</h3><a name='old'>o</a><p id=\"keep\">k</p>";
    PutFile(CombinePath(ProjectRoot(tmp), "topics/" + kB + ".html"), bodyB);
    const std::string plainD = "<a href=\"doc:" + kB + "\">plain</a> <a href=\"doc:" + kB + "#\">bare</a>";
    PutFile(CombinePath(ProjectRoot(tmp), "topics/" + kD + ".html"), plainD);
    const std::string before = BuildManualHtml(project);
    const std::string plainOut = "<a href=\"#" + kB + "\">plain</a> <a href=\"#" + kB + "\">bare</a>";
    ASSERT_NE(before.find(Section(kB, "h2", "Beta", bodyB)), std::string::npos);
    ASSERT_NE(before.find(plainOut), std::string::npos);

    const std::string fragmentD = "<a href=\"doc:" + kB + "#part\">a</a><a href='doc:" + kB + "#o%6Cd'>b</a>" +
                                  "<a href=\"doc:" + kB + "#nowhere\">c</a><a href=\"doc:" + kUnknown + "#part\">d</a>";
    PutFile(CombinePath(ProjectRoot(tmp), "topics/" + kD + ".html"), plainD + fragmentD);
    const std::string after = BuildManualHtml(project);
    const std::string renamedB = "<h3 id=\"" + kB + "-part\">P</h3><a name=\"" + kB + "-old\">o</a><p id=\"keep\">k</p>";
    const std::string fragmentOut = "<a href=\"#" + kB + "-part\">a</a><a href=\"#" + kB + "-o%6Cd\">b</a>" +
                                    "<a href=\"#" + kB + "-nowhere\">c</a><a href=\"#\">d</a>";
    EXPECT_NE(after.find(Section(kB, "h2", "Beta", renamedB)), std::string::npos) << after;
    EXPECT_NE(after.find(plainOut + fragmentOut), std::string::npos) << after;
    EXPECT_EQ(ReplaceText(ReplaceText(after, renamedB, bodyB), fragmentOut, ""), before);
}
