// The PDF manual's index document: which numbers each line prints and how the lines are written.
#include "uPdfIndex.h"
#include "uPdfAssembly.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Topics a..f; c and d share page 3, e has no printed heading.
std::optional<TPdfIndexTarget> TargetOf(const std::string& AID) {
    static const std::map<std::string, int> pages = {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 3}, {"f", 9}};
    const auto found = pages.find(AID);
    if (found == pages.end())
        return std::nullopt;
    return TPdfIndexTarget{found->second, PdfPlaceholderAddress(static_cast<size_t>(AID[0] - 'a'))};
}

TPdfIndexNumber Number(int APage, char ATopic) {
    return {APage, PdfPlaceholderAddress(static_cast<size_t>(ATopic - 'a'))};
}

}  // namespace

TEST(PdfIndex, eachLinePrintsItsTopicsPagesOnceInTopicOrder) {
    const struct {
        const char* FName;
        TIndexEntry FEntry;
        std::vector<TPdfIndexLine> FLines;
    } cases[] = {
        {"one topic", {"Alpha", {"b"}, {}}, {{"Alpha", 0, {Number(2, 'b')}}}},
        {"a shared page once, linking to the first topic on it",
         {"Beta", {"a", "c", "f", "d"}, {}},
         {{"Beta", 0, {Number(1, 'a'), Number(3, 'c'), Number(9, 'f')}}}},
        {"a topic without a printed heading adds no number", {"Gamma", {"e", "b"}, {}}, {{"Gamma", 0, {Number(2, 'b')}}}},
        {"a main entry that only groups is a heading without numbers",
         {"Printing", {}, {{"margins", {"d", "c"}, {}}, {"paper", {"f"}, {}}}},
         {{"Printing", 0, {}}, {"margins", 1, {Number(3, 'd')}}, {"paper", 1, {Number(9, 'f')}}}},
        {"a main entry with topics keeps them beside its sub-entries",
         {"Fonts", {"a"}, {{"size", {"b"}, {}}}},
         {{"Fonts", 0, {Number(1, 'a')}}, {"size", 1, {Number(2, 'b')}}}},
    };
    std::vector<TIndexEntry> all;
    std::vector<TPdfIndexLine> allLines;
    for (const auto& c : cases) {
        EXPECT_EQ(PdfIndexLines({c.FEntry}, TargetOf), c.FLines) << c.FName;
        all.push_back(c.FEntry);
        allLines.insert(allLines.end(), c.FLines.begin(), c.FLines.end());
    }
    EXPECT_EQ(PdfIndexLines(all, TargetOf), allLines) << "entries keep the order they come in";
}

TEST(PdfIndex, documentWritesEscapedLinesWithLinkedNumbers) {
    const std::vector<TPdfIndexLine> lines = {
        {"Tips & <Tricks>", 0, {}},
        {"\"quoted\", sub", 1, {{4, "https://pagewell.invalid/link/0?a=1&b=2"}, {12, PdfPlaceholderAddress(7)}}},
        {"\xD0\x9F\xD0\xB5\xD1\x87\xD0\xB0\xD1\x82\xD1\x8C", 0, {{5, PdfPlaceholderAddress(3)}}},  // Печать
    };
    const std::string html = BuildPdfIndexHtml(lines, TPdfPaper::Letter, "file:///x/my style.css");
    for (const char* piece : {
             "<link rel=\"stylesheet\" href=\"file:///x/my style.css\">\r\n",
             "  size: letter;\r\n",
             "  margin: 20mm 18mm 25mm;\r\n",
             "<h1 class=\"pw-index-heading\">Index</h1>\r\n<div class=\"pw-index\">\r\n",
             "<p class=\"pw-index-entry pw-index-main\">Tips &amp; &lt;Tricks&gt;</p>\r\n",
             "<p class=\"pw-index-entry pw-index-sub\">&quot;quoted&quot;, sub&emsp;<a "
             "href=\"https://pagewell.invalid/link/0?a=1&amp;b=2\">4</a>, <a href=\"https://pagewell.invalid/link/7\">12</a></p>\r\n",
             "\">5</a></p>\r\n</div>\r\n</body>\r\n</html>\r\n",
         })
        EXPECT_NE(html.find(piece), std::string::npos) << piece << "\n" << html;
    EXPECT_EQ(html.find("<link"), html.rfind("<link"));
    EXPECT_EQ(BuildPdfIndexHtml(lines, TPdfPaper::A4, "").find("<link"), std::string::npos);
}
