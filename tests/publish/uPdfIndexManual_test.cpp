// The index at the back of a printed manual, read back as a reader gets it: each number leads to
// the page with its topic's heading (pdftotext -bbox) and links there (qpdf --json); the index
// pages go on with the body's numbers and labels and are named in the contents and the outline.
#include "uExportPdf.h"
#include "uPdfPrinter.h"

#include "PdfFixture.h"
#include "WebHelpFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

using namespace pdf_fixture;
using webhelp_fixture::AddFixedTopic;

namespace {

const std::string kPechat = "\xD0\x9F\xD0\xB5\xD1\x87\xD0\xB0\xD1\x82\xD1\x8C "
                            "\xD0\xB4\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD0\xB0";  // Печать документа

std::string Id(char AChar) { return std::string(32, AChar); }

// Getting started, Long story (Page setup), Secret (Buried) excluded, Last words. The long story
// runs over pages, so the entries' topics are on different pages.
void WriteIndexProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle("Printer Guide");
    AddFixedTopic(AProject, Id('A'), "Getting started").IndexEntries() = {"Printing, margins", kPechat};
    AddFixedTopic(AProject, Id('B'), "Long story").IndexEntries() = {"Paper"};
    AddFixedTopic(AProject, Id('C'), "Page setup", Id('B')).IndexEntries() = {"Printing, margins", "paper"};
    TTopic& secret = AddFixedTopic(AProject, Id('D'), "Secret");
    secret.SetExcludePdf(true);
    secret.IndexEntries() = {"Classified"};
    AddFixedTopic(AProject, Id('E'), "Buried", Id('D')).IndexEntries() = {"Classified, deep"};
    AddFixedTopic(AProject, Id('F'), "Last words").IndexEntries() = {kPechat};
    SaveProjectFolder(AProject);
    std::string story;
    for (int i = 0; i < 120; ++i)
        story += "<p>Paragraph " + IntToStr(i) + " of a story long enough to need several pages.</p>";
    PutFile(CombinePath(ARoot, "topics/" + Id('B') + ".html"), story);
    PutFile(CombinePath(ARoot, "topics/" + Id('F') + ".html"), story);
}

std::string JoinWords(const std::vector<TBoxWord>& AWords) {
    std::string out;
    for (const TBoxWord& w : AWords)
        out += (out.empty() ? "" : " ") + w.FText;
    return out;
}

bool IsNumber(const std::string& AText) {
    return !AText.empty() && AText.find_first_not_of("0123456789") == std::string::npos;
}

// One printed index line: its text, whether it is indented as a sub-entry, its number words.
struct TIndexLine {
    std::string FText;
    bool FSub = false;
    std::vector<TBoxWord> FNumbers;
    int FPage = 0;
};

// The lines of the index pages, column by column (left half, then right half of each page).
std::vector<TIndexLine> ReadIndex(const std::vector<TBoxPage>& APages, int AFirst) {
    std::vector<TIndexLine> lines;
    for (int p = AFirst; p < static_cast<int>(APages.size()); ++p) {
        const TBoxPage& page = APages[p];
        const TBoxWord footer = LowestWord(page);
        for (int column = 0; column < 2; ++column) {
            std::vector<TBoxWord> words;
            for (const TBoxWord& w : page.FWords)
                if ((w.FLeft < page.FWidth / 2) == (column == 0) && w.FText != "Index" && w.FTop != footer.FTop)
                    words.push_back(w);
            std::sort(words.begin(), words.end(), [](const TBoxWord& A, const TBoxWord& B) {
                return std::abs(A.FBottom - B.FBottom) > 3 ? A.FBottom < B.FBottom : A.FLeft < B.FLeft;
            });
            double left = 1e9;
            for (const TBoxWord& w : words)
                left = std::min(left, w.FLeft);
            for (size_t i = 0; i < words.size(); ++i) {
                if (i == 0 || std::abs(words[i].FBottom - words[i - 1].FBottom) > 3)
                    lines.push_back({"", words[i].FLeft > left + 8, {}, p});
                std::string text = words[i].FText;
                if (!text.empty() && text.back() == ',' && IsNumber(text.substr(0, text.size() - 1)))
                    text.pop_back();
                if (IsNumber(text)) {
                    TBoxWord number = words[i];
                    number.FText = text;
                    lines.back().FNumbers.push_back(number);
                } else {
                    lines.back().FText += (lines.back().FText.empty() ? "" : " ") + text;
                }
            }
        }
    }
    return lines;
}

}  // namespace

TEST(PdfIndexManual, numbersLeadAndLinkToTheHeadingPagesAndIndexIsInContentsAndOutline) {
    TPdfExportOptions options;
    if (IsExecutableFile(std::string(PAGEWELL_APP_DIR) + "/" + BundledPdfPrinterName))
        options.FPrinterSearch = {"", PAGEWELL_APP_DIR};
    else if (FindEdgeExe(DefaultPdfPrinterSearch()).empty())
        GTEST_SKIP() << "no printer: pagewell-pdf is not built and no browser is on PATH";
    options.FPaper = TPdfPaper::A4;
    TTempDir tmp;
    TDocProject project;
    WriteIndexProject(tmp / "Guide", project);
    const std::string manualBefore = BuildManualHtml(project);
    const std::string pdf = ExportPdf(project, PdfOutputFolder(project), options).FPdfFile;
    EXPECT_EQ(GetFile(CombinePath(PdfOutputFolder(project), "manual.html")), manualBefore);

    const std::vector<TBoxPage> pages = ReadBoxPages(pdf, tmp / "bbox.html");
    const nlohmann::json labels = QpdfJson(pdf, "pagelabels", tmp / "labels.json");
    ASSERT_EQ(labels.size(), 2u) << labels.dump();
    EXPECT_EQ(labels[1]["label"]["/S"], "/D");
    const int front = labels[1]["index"];

    // The outline: the sections, then "Index" on the first index page.
    const nlohmann::json outline = QpdfJson(pdf, "outlines", tmp / "outline.json");
    std::vector<std::string> titles;
    std::map<std::string, int> numberOf;  // heading -> printed page number
    for (const nlohmann::json& item : outline) {
        titles.push_back(item["title"]);
        numberOf[item["title"]] = item["destpageposfrom1"].get<int>() - front;
        for (const nlohmann::json& kid : item["kids"]) {
            titles.push_back(kid["title"]);
            numberOf[kid["title"]] = kid["destpageposfrom1"].get<int>() - front;
        }
    }
    ASSERT_EQ(titles, (std::vector<std::string>{"Getting started", "Long story", "Page setup", "Last words", "Index"}));
    const int indexPage = front + numberOf["Index"] - 1;  // from 0
    ASSERT_GT(numberOf["Last words"], numberOf["Long story"] + 1);
    ASSERT_LT(indexPage, static_cast<int>(pages.size()));
    EXPECT_GT(indexPage, front + numberOf["Last words"] - 1) << "the index follows the last topic";
    EXPECT_EQ(JoinWords(pages[indexPage].FWords).rfind("Index", 0), 0u) << JoinWords(pages[indexPage].FWords);
    // Its pages go on with the body's footer numbers.
    for (int p = front; p < static_cast<int>(pages.size()); ++p)
        EXPECT_EQ(LowestWord(pages[p]).FText, IntToStr(p - front + 1)) << "page " << p + 1;

    // The printed contents end with "Index" and its number.
    EXPECT_TRUE(EndsWith(JoinWords(pages[front - 1].FWords), "Last words " + IntToStr(numberOf["Last words"]) +
                                                                 " Index " + IntToStr(numberOf["Index"])))
        << JoinWords(pages[front - 1].FWords);

    // The lines in order, each with the page numbers of its topics' headings, shared pages once.
    const auto pagesOf = [&](std::vector<std::string> AHeadings) {
        std::vector<int> numbers;
        for (const std::string& h : AHeadings)
            if (std::find(numbers.begin(), numbers.end(), numberOf[h]) == numbers.end())
                numbers.push_back(numberOf[h]);
        return numbers;
    };
    const struct {
        std::string FText;
        bool FSub;
        std::vector<std::string> FHeadings;
    } expected[] = {
        {"Getting started", false, {"Getting started"}}, {"Last words", false, {"Last words"}},
        {"Long story", false, {"Long story"}},           {"Page setup", false, {"Page setup"}},
        {"Paper", false, {"Long story", "Page setup"}},  {"Printing", false, {}},
        {"margins", true, {"Getting started", "Page setup"}}, {kPechat, false, {"Getting started", "Last words"}},
    };
    const std::vector<TIndexLine> lines = ReadIndex(pages, indexPage);
    ASSERT_EQ(lines.size(), std::size(expected)) << JoinWords(pages[indexPage].FWords);

    const nlohmann::json objects = QpdfJson(pdf, "qpdf", tmp / "objects.json")[1];
    const nlohmann::json pageList = QpdfJson(pdf, "pages", tmp / "pages.json");
    std::map<std::string, int> pageIndexOf;
    for (const nlohmann::json& page : pageList)
        pageIndexOf[page["object"].get<std::string>()] = page["pageposfrom1"].get<int>() - 1;
    const auto value = [&](const std::string& ARef) { return objects["obj:" + ARef]["value"]; };
    for (size_t i = 0; i < lines.size(); ++i) {
        const TIndexLine& line = lines[i];
        EXPECT_EQ(line.FText, expected[i].FText);
        EXPECT_EQ(line.FSub, expected[i].FSub) << line.FText;
        std::vector<int> numbers;
        for (const TBoxWord& n : line.FNumbers)
            numbers.push_back(std::stoi(n.FText));
        ASSERT_EQ(numbers, pagesOf(expected[i].FHeadings)) << line.FText;
        for (size_t k = 0; k < line.FNumbers.size(); ++k) {
            // The number's page shows the heading of the topic it stands for.
            const int target = front + numbers[k] - 1;
            const std::string text = JoinWords(pages[target].FWords);
            bool heading = false;
            for (const std::string& h : expected[i].FHeadings)
                heading = heading || (numberOf[h] == numbers[k] && text.find(h) != std::string::npos);
            EXPECT_TRUE(heading) << line.FText << " " << numbers[k];
            // Its link points at that page.
            const TBoxWord& n = line.FNumbers[k];
            const double x = (n.FLeft + n.FRight) / 2, y = pages[line.FPage].FHeight - (n.FTop + n.FBottom) / 2;
            int dest = -1;
            const nlohmann::json annots = value(pageList[line.FPage]["object"])["/Annots"];
            for (const nlohmann::json& ref : annots) {
                const nlohmann::json annot = ref.is_string() ? value(ref) : ref;
                const nlohmann::json rect = annot["/Rect"];
                if (annot.contains("/Dest") && x > rect[0].get<double>() && x < rect[2].get<double>() &&
                    y > rect[1].get<double>() && y < rect[3].get<double>())
                    dest = pageIndexOf[annot["/Dest"][0].get<std::string>()];
            }
            EXPECT_EQ(dest, target) << "link of " << line.FText << " " << numbers[k];
        }
    }
    // The excluded subtree's entries and titles are nowhere in the index.
    for (int p = indexPage; p < static_cast<int>(pages.size()); ++p)
        for (const char* absent : {"Classified", "deep", "Secret", "Buried"})
            EXPECT_EQ(JoinWords(pages[p].FWords).find(absent), std::string::npos) << absent;
}
