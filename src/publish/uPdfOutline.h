// The last step of the PDF manual, the same for every printer: the assembled manual.pdf gets an
// outline (bookmarks) mirroring the contents, document information naming the project and
// Pagewell, and opens with the bookmark panel shown.
//
// Each bookmark points at the page where its section's heading is found by text extraction
// (uPdfHeadingSearch), near the top of the heading; one whose heading cannot be found points at
// the page of the bookmark before it. A file is rewritten into a temporary file beside it, which
// then replaces it, so a failure leaves it as it was. Not thread-safe.
#pragma once

#include "uExportPdf.h"
#include "uPdfHeadingSearch.h"

#include <functional>
#include <string>
#include <vector>

class QPDF;
class QPDFObjectHandle;
class QPDFPageObjectHelper;

// One bookmark: its title, its nesting depth (0 for a root topic, not capped), the page index
// from 0 and the place on that page (points from the top of the page).
struct TPdfBookmark {
    std::string FTitle;
    int FDepth = 0;
    int FPage = 0;
    double FTop = 0;
};

struct TPdfDocumentInfo {
    std::string FTitle;
    std::string FCreator;
    std::string FProducer;
};

// The bookmarks of the manual: one per section, in its order, titled with the section's heading
// as the reader sees it (white space runs as one space), at the section's depth, on the page of
// APlaces (one per section, pages of the printed body) moved by APageOffset, the number of pages
// in front of the body.
std::vector<TPdfBookmark> ManualBookmarks(const std::vector<TManualSection>& ASections,
                                          const std::vector<TPdfHeadingPlace>& APlaces, int APageOffset = 0);

// Title = the project's title; Creator and Producer "Pagewell " + version.
TPdfDocumentInfo ManualDocumentInfo(const TDocProject& AProject);

// Rewrites APdfFile with ABookmarks as its outline (nested by depth; root entries open, deeper
// ones closed; an earlier outline replaced), AInfo in its document information and the page
// mode /UseOutlines. A bookmark's page must exist in the file. The new file replaces the old one
// only once it is complete.
void WritePdfOutline(const std::string& APdfFile, const std::vector<TPdfBookmark>& ABookmarks,
                     const TPdfDocumentInfo& AInfo);

// The same on a document open in the PDF library.
void WritePdfOutline(QPDF& APdf, const std::vector<TPdfBookmark>& ABookmarks, const TPdfDocumentInfo& AInfo);

// A /Dest array for a place on APage (/XYZ, left and zoom as the reader has them): AFromTop
// points below the top of its visible area less a small lead, so a heading there is not cut,
// and never above the top.
QPDFObjectHandle PdfPlaceDestination(QPDFPageObjectHelper& APage, double AFromTop);

// Opens APdfFile with the PDF library, lets AEdit change the document and writes it into a
// temporary file beside APdfFile that replaces it once complete; on any failure APdfFile stays
// as it was. Raises the library's or EAppError's exception as it comes.
void RewritePdfFile(const std::string& APdfFile, const std::function<void(QPDF& APdf)>& AEdit);

// Writes APdf to AFile through a temporary file beside it that replaces AFile once complete; on
// any failure AFile stays as it was.
void WritePdfFileReplacing(QPDF& APdf, const std::string& AFile);

// The note for the user when headings were not found; "" for 0.
std::string UnresolvedBookmarksNote(size_t AUnresolved);
