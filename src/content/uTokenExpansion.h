// Expansion of reusable-content tokens in topic HTML at publishing time:
//   {var:Name}                      a variable's value, HTML-encoded (text between tags only)
//   {snip:Name}                     a snippet's HTML, itself expanded first (text between tags only)
//   {begincond:Name} ... {endcond}  content kept only while the condition is on
//   {begincond:Name} ... {endcond:Name}
// Keywords ignore case and allow white space around the keyword, the colon and the name; names
// are HTML-decoded and trimmed before they are looked up. Afterwards the editor's marker styling
// (dashed-border or #eef5ff style attributes, contenteditable="false", title attributes) is
// removed.
//
// The passes run in a fixed schedule: ten snippet passes, ten condition runs of twenty cycles
// each, one variable pass, one styling pass, with the reusable content read from the project's
// file for every topic and every snippet occurrence. TExpansionSchedule::Literal runs exactly
// that. TExpansionSchedule::Fast gives byte-identical output much faster: it reads the file once,
// stops repeating a pass or a run as soon as it changes nothing (every later one would change
// nothing either), skips text with no brace, and expands each snippet once, reusing the result
// wherever the surrounding snippets cannot change it.
//
// Guards, identical in both schedules:
//  - A snippet token met while that same snippet is being expanded (directly or through other
//    snippets) is cut off: it is replaced by nothing and the rest is published.
//  - Snippets nested deeper than TExpansionLimits::MaxSnippetDepth, any text growing beyond
//    MaxResultBytes, or more than MaxSnippetExpansions snippet expansions for one topic raise
//    EAppError naming the snippet, so no input can hang the export or exhaust memory. (The literal
//    schedule expands snippets far more often, so on such input it reaches the last limit first.)
// Not thread-safe: one TTokenExpander per thread.
#pragma once

#include "uDocModel.h"
#include "uReusableContent.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TExpansionSchedule {
    Fast,     // identical output, each shortcut above
    Literal,  // the plain schedule, for tests and benchmarks
};

struct TExpansionLimits {
    int MaxSnippetDepth = 64;                   // snippets inside snippets
    size_t MaxResultBytes = 64u * 1024 * 1024;  // any one text being expanded
    size_t MaxSnippetExpansions = 200'000;      // snippet expansions per Expand call
};

// One expansion context per export: create it once, call Expand for every topic.
class TTokenExpander {
public:
    // Reads the project's reusable content once (the literal schedule reads it again on every
    // expansion, as the plain schedule does). No project or an empty RootPath: Expand returns its
    // input unchanged. Errors loading the file (an invalid-type error) propagate.
    explicit TTokenExpander(const TDocProject* AProject, TExpansionSchedule ASchedule = TExpansionSchedule::Fast,
                            const TExpansionLimits& ALimits = {});
    explicit TTokenExpander(const TDocProject& AProject, TExpansionSchedule ASchedule = TExpansionSchedule::Fast,
                            const TExpansionLimits& ALimits = {})
        : TTokenExpander(&AProject, ASchedule, ALimits) {}
    // The same with a store already loaded (shared, never modified); it must be what the
    // project's file holds for the literal schedule to agree.
    TTokenExpander(const TDocProject* AProject, std::shared_ptr<const TReusableProjectContent> AStore,
                   TExpansionSchedule ASchedule = TExpansionSchedule::Fast, const TExpansionLimits& ALimits = {});
    ~TTokenExpander();
    TTokenExpander(const TTokenExpander&) = delete;
    TTokenExpander& operator=(const TTokenExpander&) = delete;

    // The published form of one topic's HTML. Empty html is returned unchanged.
    std::string Expand(const std::string& AHtml);

    const TReusableProjectContent& Store() const;

private:
    class TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// One topic's HTML expanded with the fast schedule. The reusable content file is read once and
// reused for as long as its path, size and modification time stay the same. No project, an empty
// RootPath or empty html: the html is returned unchanged (not even the styling is removed).
std::string ExpandReusableContent(const TDocProject* AProject, const std::string& AHtml);
std::string ExpandReusableContent(const TDocProject& AProject, const std::string& AHtml);

// The project's store, read from its file or taken from the cache used by ExpandReusableContent.
std::shared_ptr<const TReusableProjectContent> LoadReusableContentCached(const TDocProject& AProject);

// ---- the single passes ---------------------------------------------------------------------

// The token patterns (used with roIgnoreCase | roSingleLine).
inline constexpr std::string_view kVariableTokenPattern = "\\{\\s*var\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}";
inline constexpr std::string_view kSnippetTokenPattern = "\\{\\s*snip\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}";

// A token's name as looked up: HTML-decoded, then trimmed.
std::string DecodeTokenName(std::string_view AName);

// Calls AOnText for every run of text between tags and copies the tags (from "<" to the next
// ">" or the end) unchanged: the result is the tags and what AOnText returned, in order.
std::string TransformTextOutsideTags(std::string_view AHtml,
                                     const std::function<std::string(std::string_view ARun)>& AOnText);

// Variable tokens in one text run / in the text between tags: each becomes the HTML-encoded
// value of the variable (nothing for an unknown one).
std::string ReplaceVariableTokensInText(std::string_view ARun, const TReusableProjectContent& AStore);
std::string ExpandVariablesOutsideTags(std::string_view AHtml, const TReusableProjectContent& AStore);

// Snippet tokens in one text run / in the text between tags: each becomes what AExpandSnippet
// returns for the decoded name.
using TSnippetExpansion = std::function<std::string(const std::string& ADecodedName)>;
std::string ReplaceSnippetTokensInText(std::string_view ARun, const TSnippetExpansion& AExpandSnippet);
std::string ExpandSnippetsOutsideTags(std::string_view AHtml, const TSnippetExpansion& AExpandSnippet);

// Unwraps p, div, section, article, li, blockquote, h1-h6, tr, td and th elements whose whole
// content is one condition marker (begin markers first, then end markers).
std::string StripConditionMarkerOnlyBlocks(std::string_view AHtml);
// One condition run: marker-only blocks unwrapped, twenty cycles of the named-end and the
// bare-end pass, then every left-over marker removed. AStopWhenSettled (the fast schedule) ends
// the cycles at the first one that changes nothing and skips the text after the last end marker
// in each pass; the result is the same.
std::string ReplaceConditionTokens(std::string_view AHtml, const TReusableProjectContent& AStore,
                                   bool AStopWhenSettled = false);
// Removes the editor's marker styling attributes.
std::string StripTokenMarkerStyling(std::string_view AHtml);
