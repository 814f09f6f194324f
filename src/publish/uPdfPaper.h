// The paper the PDF manual is printed on and its page margins, the same for every printer.
//
// The paper follows the reader's locale (its LC_PAPER part, read without touching the process
// locale): Letter where the locale's paper is 216 x 279 mm, A4 everywhere else.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class TPdfPaper { A4, Letter };

// Page margins of the manual in millimetres (left and right alike).
struct TPdfMargins {
    int FTop = 20, FRight = 18, FBottom = 25, FLeft = 18;
};
inline constexpr TPdfMargins ManualMargins{};

// The paper of the locale that LC_ALL, LC_PAPER and LANG name; A4 when that locale is not
// installed.
TPdfPaper LocalePdfPaper();
// A paper for the locale's paper width and height in millimetres.
TPdfPaper PdfPaperForSize(unsigned AWidthMm, unsigned AHeightMm);

// "a4" or "letter" (as on the command lines), nothing for any other text.
std::optional<TPdfPaper> PdfPaperFromName(const std::string& AName);
std::string PdfPaperName(TPdfPaper APaper);
// The value of the CSS size property for the paper: "A4" or "letter".
std::string PdfPaperCssSize(TPdfPaper APaper);
// The style lines that give every printed page of a manual document the paper and the margins:
// an @page rule, and no margin on html and body (there it would apply only above the first page
// and below the last one).
std::vector<std::string> ManualPageCssLines(TPdfPaper APaper);
// Width and height in points.
double PdfPaperWidthPt(TPdfPaper APaper);
double PdfPaperHeightPt(TPdfPaper APaper);
