// The PDF manual as a reader gets it, printed once by each printer: title page, printed contents
// whose numbers and links lead to the heading pages, numbered body pages with matching page
// labels, margins on every page, the chosen paper. Read back with pdftotext -bbox and qpdf --json.
#include "uExportPdf.h"
#include "uPdfAssembly.h"
#include "uPdfFrontMatter.h"
#include "uPdfHeadingSearch.h"

#include "PdfFixture.h"
#include "WebHelpFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

using namespace pdf_fixture;
using webhelp_fixture::AddFixedTopic;

namespace {

const std::string kTitle = "Field Manual & <Co> \xD0\xA0\xD1\x83\xD0\xBA\xD0\xBE\xD0\xB2\xD0\xBE\xD0\xB4\xD1\x81\xD1\x82\xD0\xB2\xD0\xBE";
const std::string kFooter = "\xC2\xA9 2026 Acme & <Sons>";
const std::string kTricks = "Tips & <Tricks> \xD0\xA1\xD0\xBE\xD0\xB2\xD0\xB5\xD1\x82\xD1\x8B";  // Советы
const std::string kLongTitle =
    "A section title long enough to need a second line in the printed contents, and it keeps on going "
    "with more words about setting up the printer";

std::string Id(int AIndex) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%032X", AIndex + 1);
    return buf;
}

// Five chapters of three sections of two subsections (50 entries, contents over two pages); the
// second section of chapter 1 runs over several pages, chapter 3 is titled with & < and
// Cyrillic text, one section has a title longer than a line. The first topic links to the last.
std::vector<std::string> WriteThreeLevelProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle(kTitle);
    std::vector<std::string> headings;
    int n = 0;
    const auto add = [&](const std::string& ATitle, const std::string& AParent) {
        const std::string id = Id(n++);
        AddFixedTopic(AProject, id, ATitle, AParent);
        headings.push_back(ATitle);
        return id;
    };
    std::string longStory;
    for (int i = 0; i < 150; ++i)
        longStory += "<p>Paragraph " + IntToStr(i) + " of a story long enough to need several pages.</p>";
    std::map<std::string, std::string> bodies;
    for (int c = 1; c <= 5; ++c) {
        const std::string chapter = add(c == 3 ? kTricks : "Chapter " + IntToStr(c), "");
        bodies[chapter] = "<p>About chapter " + IntToStr(c) + ".</p>";
        for (int s = 1; s <= 3; ++s) {
            const std::string title = c == 2 && s == 2 ? kLongTitle : "Section " + IntToStr(c) + "." + IntToStr(s);
            const std::string section = add(title, chapter);
            bodies[section] = c == 1 && s == 2 ? longStory : "<p>Text of section " + IntToStr(c) + "." + IntToStr(s) + ".</p>";
            for (int u = 1; u <= 2; ++u)
                bodies[add("Topic " + IntToStr(c) + "." + IntToStr(s) + "." + IntToStr(u), section)] =
                    "<p>Details " + IntToStr(u) + ".</p>";
        }
    }
    bodies[Id(0)] += "<p><a href=\"doc:" + Id(n - 1) + "\">See the last topic</a></p>";
    SaveProjectFolder(AProject);
    for (const auto& [id, body] : bodies)
        PutFile(CombinePath(ARoot, "topics/" + id + ".html"), body);
    TProjectSettings settings;
    settings.CopyrightEnabled = true;
    settings.CopyrightText = kFooter;
    settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ARoot));
    return headings;
}

std::string Comparable(const std::string& AText) {
    std::string out;
    for (char32_t c : ComparableText(AText))
        AppendUtf8(out, c);
    return out;
}

std::string JoinWords(const std::vector<TBoxWord>& AWords) {
    std::string out;
    for (const TBoxWord& w : AWords)
        out += (out.empty() ? "" : " ") + w.FText;
    return out;
}

// One printed contents entry: its text, its number's word and the page it is on (from 0).
struct TPrintedEntry {
    std::string FText;
    TBoxWord FNumber;
    int FPage = 0;
    size_t FLines = 0;
    std::vector<TBoxWord> FNumberLine;  // the other words on the number's line
};

// The entries on the contents pages (page indexes AFirst..ALast): lines gathered until one ends
// with a number near the right margin.
std::vector<TPrintedEntry> ReadContents(const std::vector<TBoxPage>& APages, int AFirst, int ALast) {
    std::vector<TPrintedEntry> entries;
    TPrintedEntry current;
    for (int p = AFirst; p <= ALast; ++p) {
        const TBoxPage& page = APages[p];
        // Lines by position, not by the extraction's reading order: top to bottom, left to right.
        std::vector<TBoxWord> words = page.FWords;
        std::sort(words.begin(), words.end(), [](const TBoxWord& A, const TBoxWord& B) {
            return std::abs(A.FBottom - B.FBottom) > 3 ? A.FBottom < B.FBottom : A.FLeft < B.FLeft;
        });
        std::vector<std::vector<TBoxWord>> lines;
        for (const TBoxWord& w : words) {
            if (lines.empty() || std::abs(lines.back().front().FBottom - w.FBottom) > 3)
                lines.emplace_back();
            lines.back().push_back(w);
        }
        for (std::vector<TBoxWord>& line : lines) {
            if (p == AFirst && entries.empty() && current.FLines == 0 && JoinWords(line) == "Contents")
                continue;
            const TBoxWord last = line.back();
            const bool number = !last.FText.empty() && last.FText.find_first_not_of("0123456789") == std::string::npos &&
                                last.FRight > page.FWidth - ManualMargins.FRight / 25.4 * 72 - 3;
            ++current.FLines;
            if (!number) {
                current.FText += (current.FText.empty() ? "" : " ") + JoinWords(line);
                continue;
            }
            line.pop_back();
            current.FText += (current.FText.empty() ? "" : " ") + JoinWords(line);
            current.FNumber = last;
            current.FPage = p;
            current.FNumberLine = line;
            entries.push_back(current);
            current = {};
        }
    }
    return entries;
}

enum class TPrinterKind { Bundled, Browser };

struct TPrintedManual {
    std::unique_ptr<TTempDir> FTmp;
    std::string FPdf;
    TPdfPaper FPaper = TPdfPaper::A4;
    std::vector<std::string> FHeadings;
    std::string FSkip;  // why there is no print
};

// Each printer prints the manual once; every check reads that one file.
const TPrintedManual& PrintedManual(TPrinterKind AKind) {
    static std::map<TPrinterKind, TPrintedManual> printed;
    auto [it, added] = printed.try_emplace(AKind);
    TPrintedManual& m = it->second;
    if (!added)
        return m;
    TPdfExportOptions options;
    if (AKind == TPrinterKind::Bundled) {
        if (!IsExecutableFile(std::string(PAGEWELL_APP_DIR) + "/" + BundledPdfPrinterName)) {
            m.FSkip = "pagewell-pdf is not built (no Qt WebEngine)";
            return m;
        }
        options.FPrinterSearch = {"", PAGEWELL_APP_DIR};
        m.FPaper = TPdfPaper::Letter;
    } else {
        const std::string browser = FindEdgeExe(DefaultPdfPrinterSearch());
        if (browser.empty()) {
            m.FSkip = "no Chromium-family browser on PATH (msedge, chromium, google-chrome)";
            return m;
        }
        options.FPrinterSearch = {ExtractFileDir(browser), ""};
        m.FPaper = TPdfPaper::A4;
    }
    options.FPaper = m.FPaper;
    m.FTmp = std::make_unique<TTempDir>();
    TDocProject project;
    m.FHeadings = WriteThreeLevelProject(*m.FTmp / "Manual", project);
    m.FPdf = ExportPdf(project, PdfOutputFolder(project), options).FPdfFile;
    return m;
}

class PdfManual : public testing::TestWithParam<TPrinterKind> {};

}  // namespace

TEST_P(PdfManual, opensOnTitleAndContentsWhoseNumbersAndLinksLeadToTheHeadings) {
    const TPrintedManual& m = PrintedManual(GetParam());
    if (!m.FSkip.empty())
        GTEST_SKIP() << m.FSkip;
    const std::vector<TBoxPage> pages = ReadBoxPages(m.FPdf, *m.FTmp / "bbox.html");
    const nlohmann::json labels = QpdfJson(m.FPdf, "pagelabels", *m.FTmp / "labels.json");
    ASSERT_EQ(labels.size(), 2u) << labels.dump();
    EXPECT_EQ(labels[0]["index"], 0);
    EXPECT_EQ(labels[0]["label"]["/S"], "/r");
    EXPECT_EQ(labels[1]["label"]["/S"], "/D");
    const int front = labels[1]["index"];
    ASSERT_GE(front, 3) << "a title page and contents over two pages";
    ASSERT_GT(static_cast<int>(pages.size()), front);

    // Page 1: the title, and below it the footer text.
    const std::string page1 = JoinWords(pages[0].FWords);
    EXPECT_EQ(Comparable(page1), Comparable(kTitle + " " + kFooter)) << page1;

    // Paper, margins on every page; numbers on the body pages only, in sequence from 1.
    const double tenMm = 10 / 25.4 * 72;
    for (size_t p = 0; p < pages.size(); ++p) {
        EXPECT_NEAR(pages[p].FWidth, PdfPaperWidthPt(m.FPaper), 1) << "page " << p + 1;
        EXPECT_NEAR(pages[p].FHeight, PdfPaperHeightPt(m.FPaper), 1) << "page " << p + 1;
        for (const TBoxWord& w : pages[p].FWords)
            EXPECT_TRUE(w.FLeft > tenMm && w.FTop > tenMm && pages[p].FWidth - w.FRight > tenMm &&
                        pages[p].FHeight - w.FBottom > tenMm)
                << "\"" << w.FText << "\" near an edge of page " << p + 1;
        const TBoxWord lowest = LowestWord(pages[p]);
        if (static_cast<int>(p) < front) {
            EXPECT_LT(lowest.FBottom, pages[p].FHeight - 20 / 25.4 * 72) << "a number on front page " << p + 1;
            continue;
        }
        EXPECT_EQ(lowest.FText, IntToStr(static_cast<long long>(p) - front + 1)) << "page " << p + 1;
        EXPECT_NEAR((lowest.FLeft + lowest.FRight) / 2, pages[p].FWidth / 2, 1) << "page " << p + 1;
    }

    // The contents: one entry per section in order, each number the footer of the page with
    // the heading.
    const std::vector<TPrintedEntry> entries = ReadContents(pages, 1, front - 1);
    ASSERT_EQ(entries.size(), m.FHeadings.size());
    EXPECT_NE(entries.front().FPage, entries.back().FPage);
    int previous = 1;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TPrintedEntry& e = entries[i];
        EXPECT_EQ(e.FText, m.FHeadings[i]);
        const int number = std::stoi(e.FNumber.FText);
        EXPECT_GE(number, previous) << e.FText;
        previous = number;
        const int target = front + number - 1;
        ASSERT_LT(target, static_cast<int>(pages.size())) << e.FText;
        EXPECT_EQ(LowestWord(pages[target]).FText, e.FNumber.FText);
        EXPECT_NE(Comparable(JoinWords(pages[target].FWords)).find(Comparable(m.FHeadings[i])), std::string::npos)
            << m.FHeadings[i] << " is not on page " << target + 1;
        // Long titles wrap beside the number, never over it.
        for (const TBoxWord& w : e.FNumberLine)
            EXPECT_LT(w.FRight, e.FNumber.FLeft - 2) << e.FText;
        if (m.FHeadings[i] == kLongTitle)
            EXPECT_GE(e.FLines, 2u);
    }
    EXPECT_GT(std::stoi(entries[5].FNumber.FText), std::stoi(entries[4].FNumber.FText) + 1) << "the long story";

    // Each entry's link annotation, found under its number, points at that page.
    const nlohmann::json objects = QpdfJson(m.FPdf, "qpdf", *m.FTmp / "objects.json")[1];
    const nlohmann::json pageList = QpdfJson(m.FPdf, "pages", *m.FTmp / "pages.json");
    std::map<std::string, int> pageOf;
    for (const nlohmann::json& page : pageList)
        pageOf[page["object"].get<std::string>()] = page["pageposfrom1"].get<int>() - 1;
    const auto value = [&](const std::string& ARef) { return objects["obj:" + ARef]["value"]; };
    for (const TPrintedEntry& e : entries) {
        const double height = pages[e.FPage].FHeight;
        const double x = (e.FNumber.FLeft + e.FNumber.FRight) / 2, y = height - (e.FNumber.FTop + e.FNumber.FBottom) / 2;
        int dest = -1;
        const nlohmann::json annots = value(pageList[e.FPage]["object"])["/Annots"];
        for (const nlohmann::json& ref : annots) {
            const nlohmann::json annot = ref.is_string() ? value(ref) : ref;
            const nlohmann::json rect = annot["/Rect"];
            if (annot.contains("/Dest") && x > rect[0].get<double>() && x < rect[2].get<double>() &&
                y > rect[1].get<double>() && y < rect[3].get<double>()) {
                EXPECT_EQ(annot["/Dest"][1], "/XYZ");
                dest = pageOf[annot["/Dest"][0].get<std::string>()];
            }
        }
        EXPECT_EQ(dest, front + std::stoi(e.FNumber.FText) - 1) << "link of " << e.FText;
    }

    // The body's own catalog survives: the topic link's named destination still resolves.
    const std::string catalog = "obj:" + objects["trailer"]["value"]["/Root"].get<std::string>();
    EXPECT_TRUE(objects[catalog]["value"].contains("/Dests") || objects[catalog]["value"].contains("/Names"))
        << objects[catalog].dump();
}

INSTANTIATE_TEST_SUITE_P(EachPrinter, PdfManual, testing::Values(TPrinterKind::Bundled, TPrinterKind::Browser),
                         [](const testing::TestParamInfo<TPrinterKind>& AInfo) {
                             return AInfo.param == TPrinterKind::Bundled ? "pagewellPdf" : "browser";
                         });

TEST(PdfFrontMatter, titlePageAndContentsAreLeftOutWhenEmpty) {
    TPdfFrontMatter matter{"A & <B>", "&copy; me", {{"One & <two>", 0, 3, PdfPlaceholderAddress(0)}, {"Deep", 12, 9, PdfPlaceholderAddress(1)}}};
    const std::string html = BuildPdfFrontMatterHtml(matter, TPdfPaper::Letter, "file:///x/style.css");
    for (const char* piece : {"<title>A &amp; &lt;B&gt;</title>", "<link rel=\"stylesheet\" href=\"file:///x/style.css\">",
                              "  size: letter;", "  margin: 20mm 18mm 25mm;", "<p class=\"pw-title\">A &amp; &lt;B&gt;</p>",
                              "<p class=\"pw-footer\">&copy; me</p>", "<h1 class=\"pw-contents-heading\">Contents</h1>",
                              "href=\"https://pagewell.invalid/link/0\" style=\"padding-left:0mm\"><span "
                              "class=\"pw-entry-title\">One &amp; &lt;two&gt;</span>",
                              "<span class=\"pw-entry-page\">3</span></a>", "pw-depth-8\" href=\"https://pagewell.invalid/link/1\" "
                              "style=\"padding-left:48mm\""})
        EXPECT_NE(html.find(piece), std::string::npos) << piece << "\n" << html;
    EXPECT_TRUE(HasFrontPages(matter));

    matter.FEntries.clear();  // no included topics: the title page only
    EXPECT_EQ(BuildPdfFrontMatterHtml(matter, TPdfPaper::A4, "").find("Contents"), std::string::npos);
    matter.FTitle.clear();  // no title: no title page either
    EXPECT_FALSE(HasFrontPages(matter));
    EXPECT_EQ(BuildPdfFrontMatterHtml(matter, TPdfPaper::A4, "").find("<p class=\"pw-title\""), std::string::npos);
    matter.FEntries.push_back({"Only", 0, 1, PdfPlaceholderAddress(0)});
    EXPECT_TRUE(HasFrontPages(matter));

    EXPECT_EQ(PdfPlaceholderIndex(PdfPlaceholderAddress(417)), 417u);
    for (const char* other : {"https://pagewell.invalid/link/", "https://pagewell.invalid/link/1x",
                              "https://example.com/link/1", "#4"})
        EXPECT_FALSE(PdfPlaceholderIndex(other).has_value()) << other;
}
