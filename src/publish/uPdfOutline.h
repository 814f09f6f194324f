// The last step of the PDF manual, the same for every printer: the printed manual.pdf gets an
// outline (bookmarks) mirroring the contents, document information naming the project and
// Pagewell, and opens with the bookmark panel shown.
//
// Each bookmark points at the page where its section's heading is found by text extraction
// (uPdfHeadingSearch), near the top of the heading; one whose heading cannot be found points at
// the page of the bookmark before it and is counted. The file is rewritten into a temporary file
// beside it, which then replaces it, so a failure leaves the printed PDF as it was. Failures are
// raised as EAppError naming the step. Not thread-safe.
#pragma once

#include "uDocModel.h"

#include <functional>
#include <string>
#include <vector>

class QPDF;

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

// The bookmarks of the manual before their pages are known: one per section of manual.html, in
// its order, titled with the section's heading as the reader sees it (white space runs as one
// space), at the topic's depth.
std::vector<TPdfBookmark> ManualBookmarks(const TDocProject& AProject);

// Title = the project's title; Creator and Producer "Pagewell " + version.
TPdfDocumentInfo ManualDocumentInfo(const TDocProject& AProject);

// Rewrites APdfFile with ABookmarks as its outline (nested by depth; root entries open, deeper
// ones closed; an earlier outline replaced), AInfo in its document information and the page
// mode /UseOutlines. A bookmark's page must exist in the file. The new file replaces the old one
// only once it is complete.
void WritePdfOutline(const std::string& APdfFile, const std::vector<TPdfBookmark>& ABookmarks,
                     const TPdfDocumentInfo& AInfo);

struct TPdfOutlineResult {
    size_t FBookmarks = 0;   // bookmarks written
    size_t FUnresolved = 0;  // of them, those whose heading was not found
};

// The whole step on the printed manual APdfFile of AProject. Raises EAppError("Adding bookmarks
// and metadata to <file> failed: <reason>").
TPdfOutlineResult AddManualOutline(const TDocProject& AProject, const std::string& APdfFile);

// Opens APdfFile with the PDF library, lets AEdit change the document and writes it into a
// temporary file beside APdfFile that replaces it once complete; on any failure APdfFile stays
// as it was. Raises the library's or EAppError's exception as it comes.
void RewritePdfFile(const std::string& APdfFile, const std::function<void(QPDF& APdf)>& AEdit);

// The note for the user when headings were not found; "" for 0.
std::string UnresolvedBookmarksNote(size_t AUnresolved);
