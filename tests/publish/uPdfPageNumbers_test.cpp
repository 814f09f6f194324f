// Page numbers and page labels on a small hand-made PDF, read back with pdftotext and qpdf.
#include "uPdfPageNumbers.h"
#include "uProcess.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

// APages empty pages of US Letter; the first one's box starts away from 0 0. No cross-reference
// table: the library rebuilds it, as it does for any damaged file.
std::string BlankPdf(int APages) {
    std::string kids, objects;
    for (int i = 0; i < APages; ++i) {
        const std::string id = IntToStr(3 + i);
        kids += id + " 0 R ";
        objects += id + " 0 obj << /Type /Page /Parent 2 0 R /MediaBox " +
                   (i == 0 ? "[10 20 622 812]" : "[0 0 612 792]") + " >> endobj\n";
    }
    return "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n2 0 obj << /Type /Pages /Kids [" + kids +
           "] /Count " + IntToStr(APages) + " >> endobj\n" + objects + "trailer << /Root 1 0 R /Size " + IntToStr(3 + APages) + " >>\n%%EOF\n";
}

std::string Capture(const std::vector<std::string>& AArgs, const TTempDir& ATmp) {
    std::vector<std::string> args = {"/bin/sh", "-c", "\"$0\" \"$@\" > \"$OUT\""};
    args.insert(args.end(), AArgs.begin(), AArgs.end());
    TScopedEnv out("OUT", ATmp / "out.txt");
    EXPECT_EQ(RunProcessAndWait(args), 0) << AArgs[0];
    return GetFile(ATmp / "out.txt");
}

}  // namespace

TEST(PdfPageNumbers, bodyPagesAreNumberedFromOneAndLabelledAfterRomanFrontPages) {
    TTempDir tmp;
    const std::string pdf = tmp / "m.pdf";
    PutFile(pdf, BlankPdf(5));

    AddPageNumbers(pdf, 2);

    for (int page = 1; page <= 5; ++page) {
        const std::string n = IntToStr(page);
        const std::string text = Trim(Capture({"pdftotext", "-f", n, "-l", n, pdf, "-"}, tmp));
        EXPECT_EQ(text, page <= 2 ? "" : IntToStr(page - 2)) << "page " << page;
    }
    const nlohmann::json labels =
        nlohmann::json::parse(Capture({"qpdf", "--json", "--json-key=pagelabels", pdf}, tmp))["pagelabels"];
    ASSERT_EQ(labels.size(), 2u) << labels.dump();
    EXPECT_EQ(labels[0]["index"], 0);
    EXPECT_EQ(labels[0]["label"]["/S"], "/r");
    EXPECT_EQ(labels[1]["index"], 2);
    EXPECT_EQ(labels[1]["label"]["/S"], "/D");
    // Centred on a page whose box does not start at 0 0.
    PutFile(pdf, BlankPdf(1));
    AddPageNumbers(pdf);
    const std::string bbox = Capture({"pdftotext", "-bbox", pdf, "-"}, tmp);
    const size_t at = bbox.find("xMin=\"");
    ASSERT_NE(at, std::string::npos) << bbox;
    EXPECT_NEAR(std::stod(bbox.substr(at + 6)), (612 - 5.004) / 2, 0.05) << bbox;
}

TEST(PdfPageNumbers, failureNamesTheStepAndLeavesTheFileAlone) {
    TTempDir tmp;
    const std::string pdf = tmp / "m.pdf";
    for (const std::string& content : {BlankPdf(2), std::string("not a PDF")}) {
        PutFile(pdf, content);
        try {
            AddPageNumbers(pdf, 3);
            FAIL() << "no error";
        } catch (const EAppError& e) {
            EXPECT_TRUE(StartsWith(e.what(), "Numbering the pages of " + pdf + " failed: ")) << e.what();
        }
        EXPECT_EQ(GetFile(pdf), content);
    }
}
