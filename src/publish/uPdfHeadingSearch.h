// Finding the page of each section heading in a printed manual, by text extraction.
//
// Headings are looked for one after the other in contents order, each from the place where the
// one before it was found onwards, so a title that several sections share resolves to the
// section it belongs to. Text is compared without white space (line breaks and spacing differ
// between the document and its print), without regard to case (a style sheet may print headings
// in capitals) and with typographic ligatures read as their letters.
//
// A heading is a block of its own, so a match that fills whole lines is taken first; where a
// style sheet numbers headings, a match that ends a line behind one or two number-like words
// ("1.2", "IV.") on the same page; and only when neither exists further on, the first match
// anywhere.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A word of a printed page as text extraction gives it: UTF-8 text and its box in points,
// measured from the top left corner of the page.
struct TPdfWord {
    std::string FText;
    double FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
};
using TPdfPageWords = std::vector<TPdfWord>;

// Where a heading is: page index from 0 and the top of its first word (points from the top of
// the page). A heading not found has FFound false and the page of the heading before it (page 0
// and top 0 when there is none).
struct TPdfHeadingPlace {
    int FPage = 0;
    double FTop = 0;
    bool FFound = false;
};

// Looks for headings in order over APageCount pages whose words ALoadPage(index) supplies; each
// page is asked for once, when the search first reaches it, and kept. Not thread-safe.
class THeadingLocator {
public:
    THeadingLocator(int APageCount, std::function<TPdfPageWords(int APage)> ALoadPage);

    // The place of the next heading, searching from the end of the last one found.
    TPdfHeadingPlace Find(const std::string& AHeading);

private:
    struct TPage {
        std::u32string FText;             // comparable characters of all words, in order
        std::vector<size_t> FWordOf;      // word index of each character of FText
        std::vector<size_t> FWordStart;   // index in FText of each word's first character
        std::vector<bool> FStartsLine, FEndsLine;
        std::vector<double> FTop;         // top of each word
        std::vector<bool> FNumbering;     // whether each word looks like a heading number
    };
    const TPage& Page(int AIndex);
    // Whether the words before AWord on its line are one or two heading-number words.
    static bool OnlyNumberingBefore(const TPage& APage, size_t AWord);

    int FPageCount;
    std::function<TPdfPageWords(int)> FLoadPage;
    std::vector<TPage> FPages;
    std::vector<bool> FLoaded;
    int FCursorPage = 0;
    size_t FCursorOffset = 0;  // in the cursor page's FText
    double FCursorTop = 0;
};

// The comparable form of a text: white space and soft hyphens dropped, letters of the Latin,
// Greek and Cyrillic alphabets in lower case, ligatures as their letters.
std::u32string ComparableText(const std::string& AText);

// Opens APdfFile with the PDF library and finds AHeadings in it, in order (THeadingLocator).
// Raises EAppError when the file cannot be read as a PDF.
std::vector<TPdfHeadingPlace> FindHeadingPlaces(const std::string& APdfFile, const std::vector<std::string>& AHeadings);
