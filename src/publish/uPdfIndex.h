// The index at the back of the PDF manual, written as one small HTML document that the same
// printer as the body turns into the pages behind it.
//
// Under the heading "Index", in two columns: every main entry and, indented under it, its
// sub-entries, in the order the index model gives them. Behind each entry the printed page
// numbers of its topics' headings, in its topics' order, each number a link; a number that
// several of an entry's topics share is printed once, linking to the first of them. A main
// entry that only groups sub-entries is printed without numbers. The links point at placeholder
// addresses (PdfPlaceholderAddress) that the assembly step turns into links to the body pages.
// Stateless and thread-safe.
#pragma once

#include "uIndexEntries.h"
#include "uPdfPaper.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Where a topic's heading is printed: the page number shown and the address its link points at.
struct TPdfIndexTarget {
    int FPageNumber = 1;
    std::string FLink;
};

// One printed number of an index line.
struct TPdfIndexNumber {
    int FPageNumber = 1;
    std::string FLink;
    bool operator==(const TPdfIndexNumber&) const = default;
};

// One printed line: depth 0 for a main entry, 1 for a sub-entry.
struct TPdfIndexLine {
    std::string FText;
    int FDepth = 0;
    std::vector<TPdfIndexNumber> FNumbers;
    bool operator==(const TPdfIndexLine&) const = default;
};

// The lines of AIndex, main entries each followed by their sub-entries. ATargetOf gives the place
// of a topic's heading, nothing for a topic without one (it adds no number).
std::vector<TPdfIndexLine> PdfIndexLines(
    const std::vector<TIndexEntry>& AIndex,
    const std::function<std::optional<TPdfIndexTarget>(const std::string& ATopicID)>& ATargetOf);

// The index document (CR LF lines) on APaper with the manual's margins. AStyleSheetHref, when
// not empty, links the manual's style sheet so the index shares its fonts and colours; the
// layout rules of the index come after it.
std::string BuildPdfIndexHtml(const std::vector<TPdfIndexLine>& ALines, TPdfPaper APaper,
                              const std::string& AStyleSheetHref);
