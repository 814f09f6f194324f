// The front matter of the PDF manual: a title page and the printed contents, written as one small
// HTML document that the same printer as the body turns into the pages in front of it.
//
// The title page shows the project title, large and centred, and below it the footer text by the
// rule the WebHelp pages follow; a project without a title has no title page. The contents,
// under the heading "Contents", list every section of the manual in its order, indented by
// depth: heading text, a dot leader and the printed page number, the whole entry a link. Long
// titles wrap beside the number, never over it. The links point at placeholder addresses
// (PdfPlaceholderAddress) that the assembly step turns into links to the body pages.
#pragma once

#include "uPdfPaper.h"

#include <string>
#include <vector>

// One line of the printed contents: heading text (not HTML-encoded), depth (0 for a root
// topic), the number printed on the page it leads to, and the address its link points at.
struct TPdfContentsEntry {
    std::string FTitle;
    int FDepth = 0;
    int FPageNumber = 1;
    std::string FLink;
};

// What the front matter shows. An empty FTitle leaves out the title page, empty FEntries the
// contents.
struct TPdfFrontMatter {
    std::string FTitle;       // the project title, as text
    std::string FFooterHtml;  // under the title, already HTML (CopyrightFooterHtml)
    std::vector<TPdfContentsEntry> FEntries;
};

// Whether AFrontMatter has any page to print.
bool HasFrontPages(const TPdfFrontMatter& AFrontMatter);

// The front matter document (CR LF lines) on APaper with the manual's margins. AStyleSheetHref,
// when not empty, links the manual's style sheet so the front pages share its fonts and colours;
// the layout rules of the front matter come after it.
std::string BuildPdfFrontMatterHtml(const TPdfFrontMatter& AFrontMatter, TPdfPaper APaper,
                                    const std::string& AStyleSheetHref);
