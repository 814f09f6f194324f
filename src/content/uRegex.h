// The one regular-expression wrapper of the program, over PCRE2 (8-bit code units, UTF mode,
// JIT-compiled where the platform allows it).
//
// Patterns use PCRE syntax: named groups (?<name>...), back-references \1 and \k<name>, lazy
// quantifiers. The two options the program uses are "ignore case" (roIgnoreCase,
// PCRE2_CASELESS) and "single line" (roSingleLine, PCRE2_DOTALL: the dot also matches line
// breaks). \s, \w, \d and \b keep their ASCII meaning (no Unicode properties).
//
// Subjects are UTF-8. A subject holding invalid UTF-8 never fails: its invalid bytes simply
// match nothing (PCRE2_MATCH_INVALID_UTF) and are copied through replacements unchanged.
//
// Every pattern is compiled once per process: TRegex objects with the same pattern and options
// share one compiled program from a cache guarded by a mutex. The cache keeps every pattern for
// the life of the process, so it is meant for the program's fixed patterns, not for patterns
// built from user text. A compiled program is read-only
// and each match call uses its own match data, so TRegex objects may be used from several
// threads at once. A TRegexMatch points into the subject it was found in and is valid only
// while that text lives unchanged.
//
// Failures raise EAppError naming the pattern: a pattern that does not compile, and a match that
// exceeds the match, depth, heap or JIT stack limits (catastrophic backtracking). Such a
// failure is never reported as "no match" and never crashes.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum TRegexOption : unsigned {
    roNone = 0,
    roIgnoreCase = 1u << 0,  // PCRE2_CASELESS
    roSingleLine = 1u << 1,  // PCRE2_DOTALL
};

struct TRegexProgram;  // the compiled pattern (defined in uRegex.cpp)

// One match: the whole match is group 0; groups are numbered from 1 in the order of their
// opening parentheses, named groups count among them. A group that did not take part in the
// match reads as empty text and reports GroupSuccess false.
class TRegexMatch {
public:
    size_t Index() const { return FOffsets.empty() ? 0 : FOffsets[0]; }  // byte offset in the subject
    size_t Length() const { return FOffsets.empty() ? 0 : FOffsets[1] - FOffsets[0]; }
    std::string_view Value() const { return Group(0); }
    // Number of groups including group 0.
    int GroupCount() const { return static_cast<int>(FOffsets.size() / 2); }
    bool GroupSuccess(int AIndex) const;
    std::string_view Group(int AIndex) const;
    // A named group; a name the pattern does not define raises EAppError.
    std::string_view Group(std::string_view AName) const;
    bool GroupSuccess(std::string_view AName) const;
    // Number of the named group, or -1 when the pattern has no such group.
    int GroupNumber(std::string_view AName) const;

private:
    friend class TRegex;
    std::string_view FSubject;
    std::vector<size_t> FOffsets;  // start, end per group; npos pairs for unset groups
    const TRegexProgram* FProgram = nullptr;
};

// Receives one match and returns its replacement text.
using TMatchEvaluator = std::function<std::string(const TRegexMatch& AMatch)>;

class TRegex {
public:
    // Compiles (or takes from the cache) APattern with AOptions (a combination of TRegexOption).
    // Raises EAppError("Invalid regular expression ...") when the pattern does not compile.
    explicit TRegex(std::string_view APattern, unsigned AOptions = roNone);

    const std::string& Pattern() const;
    unsigned Options() const { return FOptions; }

    bool IsMatch(std::string_view AInput, size_t AStart = 0) const;
    // The first match at or after byte offset AStart.
    std::optional<TRegexMatch> Match(std::string_view AInput, size_t AStart = 0) const;
    // Every match left to right, without overlap. After an empty match the next attempt starts at
    // the same place but must not be empty there, then one character further on.
    std::vector<TRegexMatch> Matches(std::string_view AInput) const;
    // Calls AVisit for every match in the order of Matches, without collecting them; AVisit
    // returns false to stop.
    void ForEachMatch(std::string_view AInput, const std::function<bool(const TRegexMatch&)>& AVisit) const;

    // Replace-all with a replacement template. The template syntax is the one of .NET and Delphi
    // regular expressions:
    //   $n, ${n}   the text of group n (n decimal, as many digits as follow the $; $0 is the
    //              whole match); a number the pattern has no group for is copied literally
    //   ${name}    the text of the named group; an unknown name is copied literally
    //   $&         the whole match             $`  the text before the match
    //   $'         the text after the match    $$  one dollar sign
    // Any other $ is copied literally. Every match is replaced, empty ones included; text between
    // and after matches is copied unchanged.
    std::string Replace(std::string_view AInput, std::string_view AReplacement) const;
    // Replace-all with an evaluator: every match is replaced by what AEvaluator returns for it.
    std::string Replace(std::string_view AInput, const TMatchEvaluator& AEvaluator) const;

private:
    std::shared_ptr<const TRegexProgram> FProgram;
    unsigned FOptions;
};

// The replace-all every token and HTML pass uses: all matches of APattern (with AOptions) are
// found left to right, without overlap, on the unchanged input; every non-empty match is
// replaced by what AEvaluator returns for it, empty matches and the text between and after
// matches are copied unchanged.
std::string ReplaceMatchesWith(std::string_view AInput, std::string_view APattern, unsigned AOptions,
                               const TMatchEvaluator& AEvaluator);
// The same with an already built TRegex.
std::string ReplaceMatchesWith(std::string_view AInput, const TRegex& ARegex, const TMatchEvaluator& AEvaluator);
