#include "uPdfAssembly.h"

#include "uPdfPageNumbers.h"
#include "uUtils.h"

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <charconv>
#include <memory>

namespace {

const std::string_view PlaceholderPrefix = "https://pagewell.invalid/link/";

// Runs one step; any failure becomes EAppError(AStep + " failed: " + reason).
template <typename TWork>
auto Step(const std::string& AStep, TWork&& AWork) {
    try {
        return AWork();
    } catch (const std::exception& e) {
        throw EAppError(AStep + " failed: " + e.what());
    }
}

std::unique_ptr<QPDF> OpenPdf(const std::string& AFile) {
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->processFile(AFile.c_str());
    return pdf;
}

// Turns the placeholder links on APages into /Dest links to the pages from the first body page
// on, which starts at page index AFrontPages of AAll. Returns how many links it turned.
size_t LinkToBody(std::vector<QPDFPageObjectHelper>& AAll, size_t AFirst, size_t ACount, int AFrontPages,
                  const TPdfExtraDocument& AExtra) {
    const int pagesFromBody = static_cast<int>(AAll.size()) - AFrontPages;
    size_t links = 0;
    for (size_t p = AFirst; p < AFirst + ACount; ++p) {
        QPDFObjectHandle annots = AAll[p].getObjectHandle().getKey("/Annots");
        if (!annots.isArray())
            continue;
        for (QPDFObjectHandle annot : annots.aitems()) {
            if (!annot.isDictionary() || !annot.getKey("/Subtype").isNameAndEquals("/Link"))
                continue;
            QPDFObjectHandle action = annot.getKey("/A");
            if (!action.isDictionary() || !action.getKey("/S").isNameAndEquals("/URI") ||
                !action.getKey("/URI").isString())
                continue;
            const std::optional<size_t> index = PdfPlaceholderIndex(action.getKey("/URI").getUTF8Value());
            if (!index)
                continue;
            if (*index >= AExtra.FLinkTargets.size())
                throw EAppError("link " + IntToStr(static_cast<long long>(*index)) + " on page " +
                                IntToStr(static_cast<long long>(p + 1)) + " has no target");
            const TPdfBodyPlace& target = AExtra.FLinkTargets[*index];
            if (target.FPage < 0 || target.FPage >= pagesFromBody)
                throw EAppError("link " + IntToStr(static_cast<long long>(*index)) + " leads to page " +
                                IntToStr(target.FPage + 1) + " of " + IntToStr(pagesFromBody) +
                                " from the first body page");
            annot.removeKey("/A");
            annot.replaceKey("/Dest", PdfPlaceDestination(AAll[static_cast<size_t>(AFrontPages + target.FPage)],
                                                          target.FTop));
            ++links;
        }
    }
    return links;
}

}  // namespace

std::string PdfPlaceholderAddress(size_t AIndex) {
    return std::string(PlaceholderPrefix) + IntToStr(static_cast<long long>(AIndex));
}

std::optional<size_t> PdfPlaceholderIndex(std::string_view AAddress) {
    if (AAddress.substr(0, PlaceholderPrefix.size()) != PlaceholderPrefix)
        return std::nullopt;
    const std::string_view digits = AAddress.substr(PlaceholderPrefix.size());
    size_t index = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return index;
}

int PdfPageCount(const std::string& APdfFile) {
    return Step("Counting the pages of " + APdfFile, [&] {
        return static_cast<int>(QPDFPageDocumentHelper(*OpenPdf(APdfFile)).getAllPages().size());
    });
}

TPdfAssemblyResult AssembleManualPdf(const TPdfManualParts& AParts, const std::string& AOutPdf) {
    TPdfAssemblyResult result;
    std::unique_ptr<QPDF> body = Step("Reading the printed manual " + AParts.FBodyPdf, [&] {
        std::unique_ptr<QPDF> pdf = OpenPdf(AParts.FBodyPdf);
        if (QPDFPageDocumentHelper(*pdf).getAllPages().empty())
            throw EAppError("it has no pages");
        return pdf;
    });
    QPDFPageDocumentHelper pages(*body);
    const QPDFPageObjectHelper firstBodyPage = pages.getAllPages().front();
    result.FBodyPages = static_cast<int>(pages.getAllPages().size());

    // The extra documents stay open until the manual is written: their pages are copied lazily.
    std::vector<std::unique_ptr<QPDF>> sources;
    std::vector<size_t> pageCounts;
    for (const TPdfExtraDocument& extra : AParts.FExtras) {
        Step("Merging the " + extra.FName + " into the manual", [&] {
            sources.push_back(OpenPdf(extra.FPdfFile));
            const std::vector<QPDFPageObjectHelper> own = QPDFPageDocumentHelper(*sources.back()).getAllPages();
            for (const QPDFPageObjectHelper& page : own) {
                if (extra.FPlacement == TPdfPlacement::BeforeBody)
                    pages.addPageAt(page, true, firstBodyPage);
                else
                    pages.addPage(page, false);
            }
            pageCounts.push_back(own.size());
            (extra.FPlacement == TPdfPlacement::BeforeBody ? result.FFrontPages : result.FBackPages) +=
                static_cast<int>(own.size());
        });
    }

    std::vector<QPDFPageObjectHelper> all = pages.getAllPages();
    size_t nextFront = 0, nextBack = static_cast<size_t>(result.FFrontPages + result.FBodyPages);
    for (size_t i = 0; i < AParts.FExtras.size(); ++i) {
        const TPdfExtraDocument& extra = AParts.FExtras[i];
        size_t& first = extra.FPlacement == TPdfPlacement::BeforeBody ? nextFront : nextBack;
        result.FLinks += Step("Linking the " + extra.FName + " to the body pages", [&] {
            return LinkToBody(all, first, pageCounts[i], result.FFrontPages, extra);
        });
        first += pageCounts[i];
    }

    Step("Numbering the pages of " + AOutPdf, [&] { AddPageNumbers(*body, result.FFrontPages); });
    Step("Adding bookmarks and metadata to " + AOutPdf, [&] {
        std::vector<TPdfBookmark> bookmarks = AParts.FBookmarks;
        for (TPdfBookmark& b : bookmarks)
            b.FPage += result.FFrontPages;
        WritePdfOutline(*body, bookmarks, AParts.FInfo);
    });
    Step("Writing " + AOutPdf, [&] { WritePdfFileReplacing(*body, AOutPdf); });
    return result;
}
