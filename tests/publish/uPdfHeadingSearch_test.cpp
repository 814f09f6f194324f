// Finding section headings on printed pages: the search order, which matches count as a heading,
// and the fallback for a heading that is not there. Pages are laid out here as lines of words;
// the real text extraction is exercised by the PDF export tests.
#include "uPdfHeadingSearch.h"

#include "uUtils.h"

#include <gtest/gtest.h>

namespace {

constexpr double LineHeight = 20;

// A page of lines, each line's words laid out from the left margin.
TPdfPageWords Lay(const std::vector<std::string>& ALines) {
    TPdfPageWords words;
    for (size_t line = 0; line < ALines.size(); ++line) {
        double x = 50;
        for (const std::string& w : SplitString(ALines[line], ' ')) {
            const double width = 6.0 * static_cast<double>(Utf8ToCodePoints(w).size());
            words.push_back({w, x, LineHeight * line + 2, x + width, LineHeight * line + 14});
            x += width + 4;
        }
    }
    return words;
}

struct TExpected {
    int FPage;
    int FLine;  // -1: not found
};

}  // namespace

TEST(HeadingLocator, findsEachHeadingForwardInContentsOrder) {
    struct Case {
        const char* FWhat;
        std::vector<std::vector<std::string>> FPages;
        std::vector<std::string> FHeadings;
        std::vector<TExpected> FPlaces;
    } cases[] = {
        {"repeated titles go to their own sections",
         {{"Overview", "intro text", "Details"}, {"more details", "Overview", "second part"}},
         {"Overview", "Details", "Overview"},
         {{0, 0}, {0, 2}, {1, 1}}},
        {"two headings of one title on one page",
         {{"Same", "body", "Same"}},
         {"Same", "Same"},
         {{0, 0}, {0, 2}}},
        {"a mention in a paragraph is not the heading",
         {{"Alpha", "see Beta for more", "read about Beta"}, {"Beta", "text"}},
         {"Alpha", "Beta"},
         {{0, 0}, {1, 0}}},
        {"a heading that wraps, spaced otherwise than in the document",
         {{"Start", "A rather long", "heading text", "body"}},
         {"Start", "A  rather long heading\ttext"},
         {{0, 0}, {0, 1}}},
        {"capitals, ligatures, Cyrillic and markup characters",
         {{"OFFICE & <TOOLS>", "o\xEF\xAC\x83" "ce", "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2"}},
         {"Office & <Tools>", "Office", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
         {{0, 0}, {0, 1}, {0, 2}}},
        {"numbered headings: after the number, not after words",
         {{"read about Setup", "1.2 Setup", "IV. Usage"}},
         {"Setup", "Usage"},
         {{0, 1}, {0, 2}}},
        {"a heading found only inside a line",
         {{"intro", "xx Alpha yy"}},
         {"Alpha"},
         {{0, 1}}},
        {"a missing heading keeps the place of the one before; the next is still found",
         {{"First", "body"}, {"Third"}},
         {"Missing", "First", "Gone", "", "Third"},
         {{0, -1}, {0, 0}, {0, -1}, {0, -1}, {1, 0}}},
        {"the search never goes back",
         {{"Second", "First"}},
         {"First", "Second"},
         {{0, 1}, {0, -1}}},
    };
    for (const Case& c : cases) {
        std::vector<int> loads(c.FPages.size());
        THeadingLocator locator(static_cast<int>(c.FPages.size()), [&](int APage) {
            ++loads[APage];
            return Lay(c.FPages[APage]);
        });
        double previousTop = 0;
        for (size_t i = 0; i < c.FHeadings.size(); ++i) {
            const TPdfHeadingPlace place = locator.Find(c.FHeadings[i]);
            const TExpected& want = c.FPlaces[i];
            EXPECT_EQ(place.FPage, want.FPage) << c.FWhat << ": " << c.FHeadings[i];
            EXPECT_EQ(place.FFound, want.FLine >= 0) << c.FWhat << ": " << c.FHeadings[i];
            const double top = want.FLine >= 0 ? LineHeight * want.FLine + 2 : previousTop;
            EXPECT_EQ(place.FTop, top) << c.FWhat << ": " << c.FHeadings[i];
            previousTop = place.FTop;
        }
        for (int n : loads)
            EXPECT_LE(n, 1) << c.FWhat << ": a page extracted twice";
    }
}
