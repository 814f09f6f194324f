// The PDF publisher: writes the whole project as one HTML document, manual.html (one section per
// topic in table-of-contents order), with its style sheet and a copy of the assets into the
// output folder, has the PDF printer (uPdfPrinter) print it, and finishes the print into
// manual.pdf: title page and printed contents in front (uPdfFrontMatter, uPdfAssembly), the index
// behind (uPdfIndex), page numbers, bookmarks and metadata.
//
// It reads the project as stored on disk. Failures are raised as EAppError: "Microsoft Edge not
// found" when no printer exists, "PDF file was not created in time", start failures, file errors,
// and for every later step an error naming that step. Everything is written in a fresh sibling
// of the output folder that replaces it once manual.pdf is complete (the printed parts live in a
// temporary folder of their own), so a failed or cancelled run leaves the previous output as it
// was. The sections are built on every core (TPublishOptions) with the same bytes whatever the
// number of threads.
#pragma once

#include "uDocModel.h"
#include "uPdfHeadingSearch.h"
#include "uPdfPaper.h"
#include "uPdfPrinter.h"
#include "uPublishPipeline.h"
#include "uTokenExpansion.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

struct TPdfExportOptions {
    // Where the printer is looked for.
    TPdfPrinterSearch FPrinterSearch = DefaultPdfPrinterSearch();
    // Opens a finished file the way the desktop's "open" does; empty opens nothing.
    std::function<void(const std::string& AFileName)> FOpenFile;
    // The paper printed on; the reader's locale decides unless a caller says otherwise.
    TPdfPaper FPaper = LocalePdfPaper();
    // Threads, progress (sections done) and cancelling.
    TPublishOptions FPublish;
};

// <RootPath>/build/pdf, the folder the Publish > PDF command writes into.
std::string PdfOutputFolder(const TDocProject& AProject);

struct TPdfExportResult {
    std::string FPdfFile;             // full path of manual.pdf
    std::vector<std::string> FNotes;  // messages for the user (bookmarks whose heading was not found)
};

// Writes manual.html, style.css and the assets copy into a fresh sibling of AOutputFolder,
// prints the body into a temporary folder, waits PdfWaitTimeoutMs for it, then finishes the
// manual (FinishManualPdf: title page and contents, page numbers, bookmarks and metadata) into
// the new folder, puts that folder in place of AOutputFolder and opens
// <AOutputFolder>/manual.pdf through AOptions.FOpenFile. Any failure leaves AOutputFolder as it
// was; the error names the step that failed.
TPdfExportResult ExportPdf(const TDocProject& AProject, const std::string& AOutputFolder,
                           const TPdfExportOptions& AOptions = {});

// One section of the manual: its topic, its depth (0 for a root topic, not capped) and its
// heading text as PdfHeadingText gives it (not HTML-encoded).
struct TManualSection {
    std::string FID;
    int FDepth = 0;
    std::string FHeading;
};

// The manual document and its sections in document order, from one walk over the contents: the
// later steps (printed contents, bookmarks) take the sections from here instead of walking the
// tree and reading the header files again.
struct TManualDocument {
    std::string FHtml;
    std::vector<TManualSection> FSections;
};

// The manual document: CR LF lines, the last one ended too; root topics at depth 0, excluded
// topics left out with their whole subtree, sections never nested. Its @page rule sets APaper
// and ManualMargins.
TManualDocument BuildManualDocument(const TDocProject& AProject, TPdfPaper APaper = TPdfPaper::A4,
                                    const TPublishOptions& AOptions = {});
// BuildManualDocument's text alone.
std::string BuildManualHtml(const TDocProject& AProject, TPdfPaper APaper = TPdfPaper::A4,
                            const TPublishOptions& AOptions = {});

// Everything after the body is printed to ABodyPdf (the print of AManual's manual.html, which
// stays as it is): finds the heading pages in it, prints the index (uPdfIndex, only when a topic
// with a section has an index entry) and the front matter (uPdfFrontMatter: title page, printed
// contents linking to those pages and to the index) through the same printer from documents in
// AWorkFolder, and assembles AOutPdf (uPdfAssembly): body first and primary, front pages before
// it, index pages behind it, links, page numbers, bookmarks (the index's last) and document
// information. AStyleSheet is
// the manual's style.css, which the front matter shares. Errors name the step.
struct TManualFinishResult {
    int FFrontPages = 0;
    size_t FUnresolvedHeadings = 0;
};
TManualFinishResult FinishManualPdf(const TDocProject& AProject, const TManualDocument& AManual,
                                    const std::string& ABodyPdf, const std::string& AOutPdf,
                                    const std::string& AWorkFolder, const std::string& AStyleSheet,
                                    const TPdfExportOptions& AOptions);

// The place of every section's heading in the printed body ABodyPdf, in section order (see
// FindHeadingPlaces). Raises EAppError("Finding the heading pages of <file> failed: <reason>").
std::vector<TPdfHeadingPlace> FindManualHeadingPlaces(const std::string& ABodyPdf,
                                                      const std::vector<TManualSection>& ASections);

// "h" + (ADepth + 1), kept within h1..h6.
std::string HeadingTagForDepth(int ADepth);

// The heading of a topic's section (not yet HTML-encoded): the text of its header file
// (header_<id>.html, else header_default.html) without tags, entities decoded, no-break spaces
// made spaces, trimmed; ATitle when that is empty or there is no header file.
std::string PdfHeadingText(const TDocProject& AProject, const std::string& AID, const std::string& ATitle);

// The header text as it becomes a heading: everything from each "<" to the next ">" removed,
// "&nbsp;" and the references HtmlDecodeEntities knows decoded, U+00A0 turned into a space,
// trimmed.
std::string PlainHeaderTitle(const std::string& AHeaderHtml);

// Link target of a topic link inside the manual: "#" + id when the project has that topic
// (included or excluded), else "#".
std::string ResolvePdfTopicLink(const TDocProject& AProject, const std::string& AID);

// Per topic id, the anchors (percent-decoded fragments) that topic links with a fragment point
// at. All sections share one document, so only these anchors are renamed, per section.
using TPdfAnchorTargets = std::map<std::string, std::set<std::string>>;

// The fragment targets of every topic link in the project's stored topic files.
TPdfAnchorTargets CollectPdfAnchorTargets(const TDocProject& AProject);

// The unique name an anchor of topic AID gets in the manual: AID + "-" + the anchor.
std::string PdfSectionAnchor(const std::string& AID, std::string_view AFragment);

// One topic's section body: its topic file (empty when missing) with reusable content expanded,
// its anchors that ATargets lists renamed to PdfSectionAnchor, and topic links pointing at
// section anchors ("#" + PdfSectionAnchor of the fragment as written, for a link with a
// fragment to a known topic).
std::string PdfTopicBody(TTokenExpander& AExpander, const TDocProject& AProject, const std::string& AID,
                         const TPdfAnchorTargets& ATargets = {});

// style.css: the project's styles/<StyleProfile>.css (or the built-in body rule), a paragraph
// rule "p { margin: 0; }" after CR LF unless the sheet already has "p { margin", then the
// settings overrides of the project's settings file.
std::string BuildPdfStyleSheet(const TDocProject& AProject);

// Copies every file below ASourceFolder, in all subfolders, to the same relative place below
// ATargetFolder, creating folders only for files copied and overwriting existing files.
void CopyAssetFiles(const std::string& ASourceFolder, const std::string& ATargetFolder);
