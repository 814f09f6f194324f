// The contents of a manual as its start page shows them: nested lists of links (ul and ol with
// li items, dl with dt entries whose dd holds the next level).
// Pure functions over a parsed page.
#pragma once

#include "uHtmlDom.h"

#include <string>
#include <vector>

struct TContentsEntry {
    std::string Href;  // the entry's first link (decoded), empty when it has none
    std::string Text;  // that link's text, white space collapsed
    std::vector<TContentsEntry> Children;
};

// Every outermost list of the page (a ul, ol or dl not inside another one), in document order,
// each read as its entries.
std::vector<std::vector<TContentsEntry>> FindContentsLists(const THtmlNode& ABody);

// The entries of one list element.
std::vector<TContentsEntry> ReadContentsList(const THtmlNode& AList);

bool IsListName(std::string_view AName);  // ul, ol, dl
