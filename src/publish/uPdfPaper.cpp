#include "uPdfPaper.h"

#include <cstdint>
#include <langinfo.h>
#include <locale.h>

TPdfPaper PdfPaperForSize(unsigned AWidthMm, unsigned AHeightMm) {
    return AWidthMm == 216 && AHeightMm == 279 ? TPdfPaper::Letter : TPdfPaper::A4;
}

TPdfPaper LocalePdfPaper() {
    locale_t loc = ::newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc)
        return TPdfPaper::A4;
    // These two items are numbers, handed back in the place of the text pointer.
    const auto number = [loc](nl_item AItem) {
        return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(::nl_langinfo_l(AItem, loc)));
    };
    const TPdfPaper paper = PdfPaperForSize(number(_NL_PAPER_WIDTH), number(_NL_PAPER_HEIGHT));
    ::freelocale(loc);
    return paper;
}

std::optional<TPdfPaper> PdfPaperFromName(const std::string& AName) {
    if (AName == "a4")
        return TPdfPaper::A4;
    if (AName == "letter")
        return TPdfPaper::Letter;
    return std::nullopt;
}

std::string PdfPaperName(TPdfPaper APaper) { return APaper == TPdfPaper::Letter ? "letter" : "a4"; }

std::string PdfPaperCssSize(TPdfPaper APaper) { return APaper == TPdfPaper::Letter ? "letter" : "A4"; }

std::vector<std::string> ManualPageCssLines(TPdfPaper APaper) {
    return {
        "@page {",
        "  size: " + PdfPaperCssSize(APaper) + ";",
        "  margin: " + std::to_string(ManualMargins.FTop) + "mm " + std::to_string(ManualMargins.FRight) + "mm " +
            std::to_string(ManualMargins.FBottom) + "mm;",
        "}",
        "html, body { margin:0; }",
    };
}

double PdfPaperWidthPt(TPdfPaper APaper) { return APaper == TPdfPaper::Letter ? 612 : 595.28; }

double PdfPaperHeightPt(TPdfPaper APaper) { return APaper == TPdfPaper::Letter ? 792 : 841.89; }
