// Navigation blocks of a manual: the bars and menus that its generator repeats on every page
// ("Prev | Up | Next", a side menu), which a help project shows by itself from its tree.
//
// A candidate is an element up to three levels below body whose tag path and class occur on at
// least 60 % of the pages and on at least 3, and no more than twice per page on average (a bar
// above and below the text, not a section that every page has several of). It is navigation
// when one of its links leads to another page of the manual, at least half of its links lead to
// pages of the manual (the page itself included), and every piece of its text outside links is
// either common to the pattern (found, as text or as link text, in at least half of its blocks)
// or the title of some page. Patterns name the tag path with classes, such as
// "body>div.sidebar>ul". A block that holds the page's first heading is never navigation.
// Pure functions over parsed pages.
#pragma once

#include "uHtmlDom.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

struct TNavPage {
    THtmlNode* Body = nullptr;                 // nullptr for a page without body (a frameset)
    const THtmlNode* FirstHeading = nullptr;   // the page's first h1...h6, if any
};

enum class TNavLink { OtherPage, SamePage, Other };
// How the link address AHref (decoded) on page APage counts.
using TNavLinkClassifier = std::function<TNavLink(size_t APage, const std::string& AHref)>;

struct TNavigationPattern {
    std::string Pattern;  // "body>div.navheader"
    size_t Pages = 0;     // pages it was removed from
};

struct TNavigationBlocks {
    std::vector<std::vector<THtmlNode*>> PerPage;  // blocks to remove, per page, in document order
    std::vector<TNavigationPattern> Patterns;      // in order of first removal
};

TNavigationBlocks FindNavigationBlocks(const std::vector<TNavPage>& APages, const std::set<std::string>& ATitles,
                                       const TNavLinkClassifier& AClassify);
