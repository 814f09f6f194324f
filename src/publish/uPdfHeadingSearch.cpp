#include "uPdfHeadingSearch.h"

#include "uUtils.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <algorithm>
#include <memory>

namespace {

bool IsSpaceLike(char32_t AChar) {
    return AChar <= 0x20 || AChar == 0x00A0 || AChar == 0x00AD || (AChar >= 0x2000 && AChar <= 0x200B) ||
           AChar == 0x2028 || AChar == 0x2029 || AChar == 0x202F || AChar == 0x205F || AChar == 0x3000 ||
           AChar == 0xFEFF;
}

char32_t LowerCase(char32_t AChar) {
    if ((AChar >= U'A' && AChar <= U'Z') || (AChar >= 0x00C0 && AChar <= 0x00DE && AChar != 0x00D7) ||
        (AChar >= 0x0391 && AChar <= 0x03AB && AChar != 0x03A2) || (AChar >= 0x0410 && AChar <= 0x042F))
        return AChar + 0x20;
    if (AChar >= 0x0400 && AChar <= 0x040F)
        return AChar + 0x50;
    return AChar;
}

void AppendComparable(std::u32string& AOut, char32_t AChar) {
    static const char32_t* const Ligatures[] = {U"ff", U"fi", U"fl", U"ffi", U"ffl", U"st", U"st"};
    if (IsSpaceLike(AChar))
        return;
    if (AChar >= 0xFB00 && AChar <= 0xFB06) {
        AOut += Ligatures[AChar - 0xFB00];
        return;
    }
    AOut += LowerCase(AChar);
}

// True when two boxes share at least half of the smaller one's height.
bool OnOneLine(const TPdfWord& A, const TPdfWord& B) {
    const double overlap = std::min(A.FBottom, B.FBottom) - std::max(A.FTop, B.FTop);
    const double smaller = std::min(A.FBottom - A.FTop, B.FBottom - B.FTop);
    return overlap >= 0.5 * smaller;
}

// A word a style sheet may put in front of a heading as its number: "1.2", "IV.", "A)", "§3:".
bool LooksLikeNumbering(const std::string& AWord) {
    if (AWord.find_first_of("0123456789") != std::string::npos)
        return true;
    return !AWord.empty() && std::string(".:)").find(AWord.back()) != std::string::npos;
}

}  // namespace

std::u32string ComparableText(const std::string& AText) {
    std::u32string out;
    for (char32_t c : Utf8ToCodePoints(AText))
        AppendComparable(out, c);
    return out;
}

THeadingLocator::THeadingLocator(int APageCount, std::function<TPdfPageWords(int APage)> ALoadPage)
    : FPageCount(std::max(APageCount, 0)), FLoadPage(std::move(ALoadPage)), FPages(FPageCount), FLoaded(FPageCount) {}

const THeadingLocator::TPage& THeadingLocator::Page(int AIndex) {
    TPage& page = FPages[AIndex];
    if (FLoaded[AIndex])
        return page;
    FLoaded[AIndex] = true;
    const TPdfPageWords words = FLoadPage(AIndex);
    for (size_t i = 0; i < words.size(); ++i) {
        // Words come in reading order: a word that goes back to the left or leaves the line of
        // the word before it starts a new line.
        const bool starts = i == 0 || words[i].FLeft < words[i - 1].FRight - 0.5 || !OnOneLine(words[i - 1], words[i]);
        page.FStartsLine.push_back(starts);
        if (i > 0)
            page.FEndsLine.push_back(starts);
        page.FWordStart.push_back(page.FText.size());
        page.FTop.push_back(words[i].FTop);
        page.FNumbering.push_back(LooksLikeNumbering(words[i].FText));
        for (char32_t c : Utf8ToCodePoints(words[i].FText))
            AppendComparable(page.FText, c);
        page.FWordOf.resize(page.FText.size(), i);
    }
    if (!words.empty())
        page.FEndsLine.push_back(true);
    return page;
}

bool THeadingLocator::OnlyNumberingBefore(const TPage& APage, size_t AWord) {
    const size_t MaxNumberingWords = 2;
    for (size_t n = 1; n <= MaxNumberingWords && AWord >= n; ++n) {
        if (!APage.FNumbering[AWord - n])
            return false;
        if (APage.FStartsLine[AWord - n])
            return true;
    }
    return false;
}

TPdfHeadingPlace THeadingLocator::Find(const std::string& AHeading) {
    const std::u32string key = ComparableText(AHeading);
    const TPdfHeadingPlace notFound{FCursorPage, FCursorTop, false};
    if (key.empty())
        return notFound;

    struct TMatch {
        int FPage = -1;
        size_t FPos = 0;
    } lineEnding, anywhere;
    const auto accept = [&](const TMatch& AMatch) {
        const TPage& page = Page(AMatch.FPage);
        FCursorPage = AMatch.FPage;
        FCursorOffset = AMatch.FPos + key.size();
        FCursorTop = page.FTop[page.FWordOf[AMatch.FPos]];
        return TPdfHeadingPlace{FCursorPage, FCursorTop, true};
    };

    for (int p = FCursorPage; p < FPageCount; ++p) {
        const TPage& page = Page(p);
        const size_t from = p == FCursorPage ? FCursorOffset : 0;
        for (size_t pos = page.FText.find(key, from); pos != std::u32string::npos; pos = page.FText.find(key, pos + 1)) {
            const size_t last = pos + key.size() - 1;
            const size_t first = page.FWordOf[pos], final = page.FWordOf[last];
            const size_t finalEnd = final + 1 < page.FWordStart.size() ? page.FWordStart[final + 1] : page.FText.size();
            const bool wordStart = page.FWordStart[first] == pos;
            const bool endsLine = page.FEndsLine[final] && finalEnd == last + 1;
            if (wordStart && endsLine && page.FStartsLine[first])
                return accept({p, pos});
            if (wordStart && endsLine && lineEnding.FPage < 0 && OnlyNumberingBefore(page, first))
                lineEnding = {p, pos};
            if (anywhere.FPage < 0)
                anywhere = {p, pos};
        }
        // A numbered heading ends its line behind its number: the first such match stands unless
        // a whole-line one follows on the same page.
        if (lineEnding.FPage >= 0)
            return accept(lineEnding);
    }
    if (anywhere.FPage >= 0)
        return accept(anywhere);
    return notFound;
}

std::vector<TPdfHeadingPlace> FindHeadingPlaces(const std::string& APdfFile, const std::vector<std::string>& AHeadings) {
    // The library reports damaged objects on stderr; what counts is whether the file opens.
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(APdfFile));
    if (!doc)
        throw EAppError("cannot read " + APdfFile + " as a PDF file");
    if (doc->is_locked())
        throw EAppError(APdfFile + " is encrypted");
    THeadingLocator locator(doc->pages(), [&doc](int AIndex) {
        TPdfPageWords words;
        std::unique_ptr<poppler::page> page(doc->create_page(AIndex));
        if (!page)
            return words;
        for (poppler::text_box& box : page->text_list()) {
            const poppler::byte_array utf8 = box.text().to_utf8();
            const poppler::rectf r = box.bbox();
            words.push_back({std::string(utf8.begin(), utf8.end()), r.left(), r.top(), r.right(), r.bottom()});
        }
        return words;
    });
    std::vector<TPdfHeadingPlace> places;
    places.reserve(AHeadings.size());
    for (const std::string& heading : AHeadings)
        places.push_back(locator.Find(heading));
    return places;
}
