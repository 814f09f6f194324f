// Putting the PDF manual together from its printed parts with the PDF library.
//
// The body (manual.html as printed) is the primary document: its catalog, named destinations,
// internal links and document information are kept, and the pages of the extra documents are
// copied into it: documents placed before the body (title page and contents) in list order in
// front of its first page, documents placed after it (an index, say) in list order behind its
// last one. An extra document links to places in the body through placeholder addresses
// (PdfPlaceholderAddress(i), printed as ordinary links); each such link becomes a /Dest link to
// the page of its target, counted from the first body page (pages behind the body go on from
// its last one, so a link may lead to a page of a document placed after the body). Links of an
// extra document that are no placeholders are copied as they are, so it must not link to places
// inside itself.
//
// Then every page from the first body page to the end gets its printed number (uPdfPageNumbers:
// the body counts from 1, pages behind it go on counting), and the outline and document
// information are written (uPdfOutline). The result is written to a temporary file beside the
// output file that replaces it once complete. Each step's failure is raised as EAppError naming
// the step. Not thread-safe.
#pragma once

#include "uPdfOutline.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TPdfPlacement { BeforeBody, AfterBody };

// A place in the printed manual: page index from 0 counted from the first body page (the pages
// behind the body follow its last one) and points from the top of that page.
struct TPdfBodyPlace {
    int FPage = 0;
    double FTop = 0;
};

// A small document printed on its own and merged with the body.
struct TPdfExtraDocument {
    std::string FName;     // what it holds, for messages: "title page and contents"
    std::string FPdfFile;  // the printed file (read, never changed)
    TPdfPlacement FPlacement = TPdfPlacement::BeforeBody;
    // Where its placeholder links lead: PdfPlaceholderAddress(i) to FLinkTargets[i].
    std::vector<TPdfBodyPlace> FLinkTargets;
};

// The address an extra document's link to FLinkTargets[AIndex] is printed with. It names a
// reserved host that no reader can reach, should the link ever survive unconverted.
std::string PdfPlaceholderAddress(size_t AIndex);
// The index that a placeholder address names; nothing for any other address.
std::optional<size_t> PdfPlaceholderIndex(std::string_view AAddress);

struct TPdfManualParts {
    std::string FBodyPdf;                   // the printed body (read, never changed)
    std::vector<TPdfExtraDocument> FExtras;
    std::vector<TPdfBookmark> FBookmarks;   // pages counted from the first body page, from 0
    TPdfDocumentInfo FInfo;
};

struct TPdfAssemblyResult {
    int FFrontPages = 0;
    int FBodyPages = 0;
    int FBackPages = 0;
    size_t FLinks = 0;  // placeholder links turned into links to body pages
};

// The number of pages of APdfFile. Raises EAppError("Counting the pages of <file> failed: ...").
int PdfPageCount(const std::string& APdfFile);

// Writes the assembled manual to AOutPdf. Raises EAppError with the step: "Reading the printed
// manual <file> failed: ...", "Merging the <name> into the manual failed: ...", "Linking the
// <name> to the body pages failed: ...", "Numbering the pages of <AOutPdf> failed: ...",
// "Adding bookmarks and metadata to <AOutPdf> failed: ...", "Writing <AOutPdf> failed: ...".
TPdfAssemblyResult AssembleManualPdf(const TPdfManualParts& AParts, const std::string& AOutPdf);
