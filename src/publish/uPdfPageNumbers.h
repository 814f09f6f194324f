// Page numbers of the printed manual: every body page carries its number, 9 pt, centred, its
// baseline 12 mm above the bottom edge, counting from 1 on the first body page; the front pages
// before it carry none. Page labels (i, ii ... for the front pages, then 1, 2 ...) make a
// reader's page box show the printed numbers.
//
// The numbers are drawn into each page's own content with a standard font every PDF reader has,
// so the step needs no second print. Not thread-safe.
#pragma once

#include <string>

class QPDF;

// Adds the numbers and the page labels to APdfFile, whose first AFrontPages pages are front
// matter. The new file replaces the old one only once it is complete. Raises
// EAppError("Numbering the pages of <file> failed: <reason>").
void AddPageNumbers(const std::string& APdfFile, int AFrontPages = 0);

// The same on a document open in the PDF library; raises the library's or EAppError's exception.
void AddPageNumbers(QPDF& APdf, int AFrontPages);

// Width of a page number in points at ASizePt, as the standard sans-serif font sets it (all its
// digits have one width).
double PageNumberWidth(int ANumber, double ASizePt);
