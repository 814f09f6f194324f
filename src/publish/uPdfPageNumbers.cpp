#include "uPdfPageNumbers.h"

#include "uPdfOutline.h"
#include "uUtils.h"

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double NumberSizePt = 9;
constexpr double BaselineAboveBottomPt = 12 / 25.4 * 72;
constexpr double DigitWidthEm = 0.556;  // every digit of Helvetica
const char* const FontResource = "/PagewellPageNumber";

std::string Points(double AValue) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", AValue);
    return buf;
}

QPDFObjectHandle PageLabels(int AFrontPages) {
    QPDFObjectHandle nums = QPDFObjectHandle::newArray();
    if (AFrontPages > 0) {
        nums.appendItem(QPDFObjectHandle::newInteger(0));
        nums.appendItem(QPDFObjectHandle::parse("<< /S /r >>"));
    }
    nums.appendItem(QPDFObjectHandle::newInteger(AFrontPages));
    nums.appendItem(QPDFObjectHandle::parse("<< /S /D >>"));
    QPDFObjectHandle labels = QPDFObjectHandle::newDictionary();
    labels.replaceKey("/Nums", nums);
    return labels;
}

}  // namespace

double PageNumberWidth(int ANumber, double ASizePt) {
    return static_cast<double>(IntToStr(ANumber).size()) * DigitWidthEm * ASizePt;
}

void AddPageNumbers(QPDF& APdf, int AFrontPages) {
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(APdf).getAllPages();
    if (AFrontPages < 0 || AFrontPages > static_cast<int>(pages.size()))
        throw EAppError(IntToStr(AFrontPages) + " front pages in a file of " +
                        IntToStr(static_cast<long long>(pages.size())));
    QPDFObjectHandle font = APdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    for (size_t i = static_cast<size_t>(AFrontPages); i < pages.size(); ++i) {
        QPDFPageObjectHelper& page = pages[i];
        const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
        const int number = static_cast<int>(i) - AFrontPages + 1;
        const double x =
            (std::min(box.llx, box.urx) + std::max(box.llx, box.urx) - PageNumberWidth(number, NumberSizePt)) / 2;
        const double y = std::min(box.lly, box.ury) + BaselineAboveBottomPt;
        QPDFObjectHandle resources = page.getAttribute("/Resources", true);
        if (!resources.isDictionary()) {
            resources = QPDFObjectHandle::newDictionary();
            page.getObjectHandle().replaceKey("/Resources", resources);
        }
        QPDFObjectHandle fonts = resources.getKey("/Font");
        if (!fonts.isDictionary()) {
            fonts = QPDFObjectHandle::newDictionary();
            resources.replaceKey("/Font", fonts);
        }
        fonts.replaceKey(FontResource, font);
        // The page's own drawing is wrapped in q ... Q, so whatever state it leaves behind does
        // not move or colour the number.
        page.addPageContents(QPDFObjectHandle::newStream(&APdf, "q\n"), true);
        page.addPageContents(QPDFObjectHandle::newStream(&APdf, "\nQ\nq 0 g BT " + std::string(FontResource) + " " +
                                                                  Points(NumberSizePt) + " Tf 1 0 0 1 " + Points(x) +
                                                                  " " + Points(y) + " Tm (" + IntToStr(number) +
                                                                  ") Tj ET Q\n"),
                             false);
    }
    APdf.getRoot().replaceKey("/PageLabels", PageLabels(AFrontPages));
}

void AddPageNumbers(const std::string& APdfFile, int AFrontPages) {
    try {
        RewritePdfFile(APdfFile, [AFrontPages](QPDF& APdf) { AddPageNumbers(APdf, AFrontPages); });
    } catch (const std::exception& e) {
        throw EAppError("Numbering the pages of " + APdfFile + " failed: " + e.what());
    }
}
