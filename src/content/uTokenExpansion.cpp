#include "uTokenExpansion.h"

#include "uHtmlUtils.h"
#include "uRegex.h"
#include "uSnippetMemo.h"
#include "uUtils.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <unordered_map>

namespace {

constexpr int kSnippetPasses = 10;
constexpr int kConditionRuns = 10;
constexpr int kConditionCycles = 20;
constexpr unsigned kTokenOptions = roIgnoreCase | roSingleLine;

const TRegex& VariableRegex() {
    static const TRegex re(kVariableTokenPattern, kTokenOptions);
    return re;
}
const TRegex& SnippetRegex() {
    static const TRegex re(kSnippetTokenPattern, kTokenOptions);
    return re;
}
const TRegex& NamedConditionRegex() {
    static const TRegex re(
        "\\{\\s*begincond\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}(?<body>.*?)\\{\\s*endcond\\s*:\\s*(?<endname>[^\\}]+?)\\s*\\}",
        kTokenOptions);
    return re;
}
const TRegex& BareConditionRegex() {
    static const TRegex re("\\{\\s*begincond\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}(?<body>.*?)\\{\\s*endcond\\s*\\}",
                           kTokenOptions);
    return re;
}
const TRegex& LeftoverMarkerRegex() {
    static const TRegex re("\\{\\s*begincond\\s*:\\s*[^\\}]+?\\s*\\}|\\{\\s*endcond\\s*(?::\\s*[^\\}]+?\\s*)?\\}",
                           kTokenOptions);
    return re;
}
const TRegex& BeginMarkerBlockRegex() {
    static const TRegex re(
        "<(?<tag>p|div|section|article|li|blockquote|h[1-6]|tr|td|th)\\b(?<attrs>[^>]*)>\\s*"
        "(?<token>\\{\\s*begincond\\s*:\\s*[^\\}]+?\\s*\\})\\s*</\\k<tag>>",
        kTokenOptions);
    return re;
}
const TRegex& EndMarkerBlockRegex() {
    static const TRegex re(
        "<(?<tag>p|div|section|article|li|blockquote|h[1-6]|tr|td|th)\\b(?<attrs>[^>]*)>\\s*"
        "(?<token>\\{\\s*endcond\\s*(?::\\s*[^\\}]+?\\s*)?\\})\\s*</\\k<tag>>",
        kTokenOptions);
    return re;
}
const TRegex* const* MarkerStylingRegexes() {
    static const TRegex a("\\sstyle=\"[^\">]*(border\\s*:\\s*1px\\s+dashed|background\\s*:\\s*#eef5ff)[^\">]*\"",
                          roIgnoreCase);
    static const TRegex b("\\scontenteditable=\"false\"", roIgnoreCase);
    static const TRegex c("\\stitle=\"[^\"]*\"", roIgnoreCase);
    static const TRegex* const all[] = {&a, &b, &c, nullptr};
    return all;
}

std::string Nothing(const TRegexMatch&) { return std::string(); }

// Counts what a pass adds to its input and stops it before it outgrows the limit.
class TGrowthGuard {
public:
    TGrowthGuard(size_t ALimit, size_t AInputSize, const std::string& AWhere)
        : FLimit(ALimit), FUsed(AInputSize), FWhere(AWhere) {
        Check();
    }
    void Add(size_t ABytes) {
        FUsed += ABytes;
        Check();
    }

private:
    void Check() const {
        if (FUsed > FLimit)
            throw EAppError("Reusable content expansion grows beyond " + IntToStr(static_cast<long long>(FLimit)) +
                            " bytes (" + FWhere + ")");
    }
    size_t FLimit;
    size_t FUsed;
    const std::string& FWhere;
};

// The walker over text between tags; runs without a brace hold no token and are copied as they
// are when ASkipBraceless is set.
template <typename F>
std::string WalkTextOutsideTags(std::string_view AHtml, bool ASkipBraceless, F&& AOnText) {
    std::string out;
    out.reserve(AHtml.size());
    size_t i = 0;
    const size_t n = AHtml.size();
    while (i < n) {
        if (AHtml[i] == '<') {
            size_t close = AHtml.find('>', i);
            size_t end = close == std::string_view::npos ? n : close + 1;
            out.append(AHtml.substr(i, end - i));
            i = end;
            continue;
        }
        size_t lt = AHtml.find('<', i);
        size_t end = lt == std::string_view::npos ? n : lt;
        std::string_view run = AHtml.substr(i, end - i);
        if (ASkipBraceless && run.find('{') == std::string_view::npos)
            out.append(run);
        else
            out += AOnText(run);
        i = end;
    }
    return out;
}

template <typename FLookup>
std::string VariablesInRun(std::string_view ARun, FLookup&& AValueOf, TGrowthGuard* AGuard) {
    return ReplaceMatchesWith(ARun, VariableRegex(), [&](const TRegexMatch& AMatch) {
        std::string value = HtmlEncodeEntities(AValueOf(DecodeTokenName(AMatch.Group("name"))));
        if (AGuard)
            AGuard->Add(value.size());
        return value;
    });
}

template <typename FLookup>
std::string VariablePass(std::string_view AHtml, bool ASkipBraceless, FLookup&& AValueOf, TGrowthGuard* AGuard) {
    return WalkTextOutsideTags(AHtml, ASkipBraceless,
                               [&](std::string_view ARun) { return VariablesInRun(ARun, AValueOf, AGuard); });
}

const TRegex& BareEndMarkerRegex() {
    static const TRegex re("\\{\\s*endcond\\s*\\}", kTokenOptions);
    return re;
}
const TRegex& NamedEndMarkerRegex() {
    static const TRegex re("\\{\\s*endcond\\s*:\\s*[^\\}]+?\\s*\\}", kTokenOptions);
    return re;
}

// Replace-all of a condition pattern. Every match of it ends with an end marker found by
// AEndMarker, so with ASkipTail the text after the last end marker is copied without trying a
// match there: the result is the same, but a long tail of unpaired begin markers no longer costs
// a scan to the end of the text for each of them.
std::string ReplaceConditions(const std::string& AHtml, const TRegex& APattern, const TRegex& AEndMarker,
                              bool ASkipTail, const TMatchEvaluator& AEvaluator) {
    if (!ASkipTail)
        return ReplaceMatchesWith(AHtml, APattern, AEvaluator);
    // Two end markers of one form never overlap in a way that hides a later end: the end of the
    // last match of a left-to-right scan is the end of the last end marker.
    size_t end = 0;
    AEndMarker.ForEachMatch(AHtml, [&](const TRegexMatch& AMatch) {
        end = AMatch.Index() + AMatch.Length();
        return true;
    });
    if (end == 0)
        return AHtml;
    std::string_view head(AHtml.data(), end);
    std::string out = ReplaceMatchesWith(head, APattern, AEvaluator);
    out.append(AHtml, end, std::string::npos);
    return out;
}

std::string ConditionCycle(const std::string& AHtml, const TReusableProjectContent& AStore, bool ASkipTail) {
    std::string s = ReplaceConditions(AHtml, NamedConditionRegex(), NamedEndMarkerRegex(), ASkipTail,
                                      [&](const TRegexMatch& AMatch) {
        std::string name = DecodeTokenName(AMatch.Group("name"));
        if (!SameText(name, DecodeTokenName(AMatch.Group("endname"))))
            return std::string(AMatch.Value());
        return AStore.ConditionEnabled(name, false) ? std::string(AMatch.Group("body")) : std::string();
    });
    return ReplaceConditions(s, BareConditionRegex(), BareEndMarkerRegex(), ASkipTail, [&](const TRegexMatch& AMatch) {
        return AStore.ConditionEnabled(DecodeTokenName(AMatch.Group("name")), false) ? std::string(AMatch.Group("body"))
                                                                                     : std::string();
    });
}

std::string LowerKey(std::string_view AName) { return LowerAscii(AName); }

template <typename T>
std::unordered_map<std::string, int> FirstIndexByName(const std::vector<T>& AList) {
    std::unordered_map<std::string, int> index;
    for (size_t i = 0; i < AList.size(); ++i)
        index.emplace(LowerKey(AList[i].Name), static_cast<int>(i));  // emplace keeps the first
    return index;
}

}  // namespace

// ---- single passes -------------------------------------------------------------------------

std::string DecodeTokenName(std::string_view AName) { return Trim(HtmlDecodeEntities(AName)); }

std::string TransformTextOutsideTags(std::string_view AHtml,
                                     const std::function<std::string(std::string_view ARun)>& AOnText) {
    return WalkTextOutsideTags(AHtml, false, AOnText);
}

std::string ReplaceVariableTokensInText(std::string_view ARun, const TReusableProjectContent& AStore) {
    return VariablesInRun(ARun, [&](const std::string& AName) { return AStore.VariableValue(AName, ""); }, nullptr);
}

std::string ExpandVariablesOutsideTags(std::string_view AHtml, const TReusableProjectContent& AStore) {
    return VariablePass(AHtml, false, [&](const std::string& AName) { return AStore.VariableValue(AName, ""); },
                        nullptr);
}

std::string ReplaceSnippetTokensInText(std::string_view ARun, const TSnippetExpansion& AExpandSnippet) {
    return ReplaceMatchesWith(ARun, SnippetRegex(), [&](const TRegexMatch& AMatch) {
        return AExpandSnippet(DecodeTokenName(AMatch.Group("name")));
    });
}

std::string ExpandSnippetsOutsideTags(std::string_view AHtml, const TSnippetExpansion& AExpandSnippet) {
    return WalkTextOutsideTags(AHtml, false,
                               [&](std::string_view ARun) { return ReplaceSnippetTokensInText(ARun, AExpandSnippet); });
}

std::string StripConditionMarkerOnlyBlocks(std::string_view AHtml) {
    auto token = [](const TRegexMatch& AMatch) { return std::string(AMatch.Group("token")); };
    std::string s = ReplaceMatchesWith(AHtml, BeginMarkerBlockRegex(), token);
    return ReplaceMatchesWith(s, EndMarkerBlockRegex(), token);
}

std::string ReplaceConditionTokens(std::string_view AHtml, const TReusableProjectContent& AStore,
                                   bool AStopWhenSettled) {
    std::string s = StripConditionMarkerOnlyBlocks(AHtml);
    for (int cycle = 0; cycle < kConditionCycles; ++cycle) {
        std::string next = ConditionCycle(s, AStore, AStopWhenSettled);
        bool settled = next == s;
        s = std::move(next);
        if (settled && AStopWhenSettled)
            break;  // a cycle that changed nothing: every later one changes nothing
    }
    return ReplaceMatchesWith(s, LeftoverMarkerRegex(), Nothing);
}

namespace {

// Whether AText holds ANameEnd + "=\"" in any ASCII case.
bool HasAttributeEnding(std::string_view AText, std::string_view ANameEnd) {
    for (size_t at = AText.find("=\""); at != std::string_view::npos; at = AText.find("=\"", at + 1))
        if (at >= ANameEnd.size() && SameText(AText.substr(at - ANameEnd.size(), ANameEnd.size()), ANameEnd))
            return true;
    return false;
}

}  // namespace

std::string StripTokenMarkerStyling(std::string_view AHtml) {
    // Each pattern needs its attribute's name and "=\"" (these letters have no case forms
    // outside ASCII; "style" is looked for without its "s", which has one), so text without
    // them skips the pattern.
    static constexpr std::string_view kNeeded[] = {"tyle", "contenteditable", "title"};
    std::string s(AHtml);
    size_t i = 0;
    for (const TRegex* const* re = MarkerStylingRegexes(); *re; ++re, ++i)
        if (HasAttributeEnding(s, kNeeded[i]))
            s = ReplaceMatchesWith(s, **re, Nothing);
    return s;
}

// ---- the expander --------------------------------------------------------------------------

class TTokenExpander::TImpl {
public:
    TImpl(const TDocProject* AProject, std::shared_ptr<const TReusableProjectContent> AStore,
          TExpansionSchedule ASchedule, const TExpansionLimits& ALimits)
        : FProject(AProject), FStore(std::move(AStore)), FSchedule(ASchedule), FLimits(ALimits) {
        FVariableIndex = FirstIndexByName(FStore->Variables());
        FSnippetIndex = FirstIndexByName(FStore->Snippets());
        FMemo.Reset(FStore->Snippets().size());
    }

    bool Active() const { return FProject && !FProject->RootPath().empty(); }

    std::string Expand(const std::string& AHtml) {
        if (!Active() || AHtml.empty())
            return AHtml;
        FExpansions = 0;
        if (FSchedule == TExpansionSchedule::Literal) {
            FMemo.Reset(FStore->Snippets().size());
            return LiteralExpand(AHtml, "in the topic text");
        }
        FMemo.BeginTopic();
        return FastExpand(AHtml, "in the topic text");
    }

    const TReusableProjectContent& Store() const { return *FStore; }

private:
    // ---- literal schedule: the store read afresh for every call, every pass run in full ----
    std::string LiteralExpand(const std::string& AHtml, const std::string& AWhere) {
        if (AHtml.empty())
            return AHtml;
        TReusableProjectContent store;
        store.LoadFromProject(FProject);
        FMemo.Grow(store.Snippets().size());
        std::string html = AHtml;
        for (int pass = 0; pass < kSnippetPasses; ++pass) {
            TGrowthGuard guard(FLimits.MaxResultBytes, html.size(), AWhere);
            html = WalkTextOutsideTags(html, false, [&](std::string_view ARun) {
                return ReplaceSnippetTokensInText(ARun, [&](const std::string& AName) {
                    int index = store.IndexOfSnippet(AName);
                    std::string r = ExpandSnippetAt(index, index < 0 ? std::string() : store.Snippets()[index].Html,
                                                    AName, [&](const std::string& AInner, const std::string& AAt) {
                                                        return LiteralExpand(AInner, AAt);
                                                    });
                    guard.Add(r.size());
                    return r;
                });
            });
        }
        for (int run = 0; run < kConditionRuns; ++run)
            html = ReplaceConditionTokens(html, store);
        TGrowthGuard guard(FLimits.MaxResultBytes, html.size(), AWhere);
        html = VariablePass(html, false, [&](const std::string& AName) { return store.VariableValue(AName, ""); },
                            &guard);
        return StripTokenMarkerStyling(html);
    }

    // ---- fast schedule -----------------------------------------------------------------------
    std::string FastExpand(const std::string& AHtml, const std::string& AWhere) {
        std::string html = AHtml;
        for (int pass = 0; pass < kSnippetPasses && SnippetRegex().IsMatch(html); ++pass) {
            TGrowthGuard guard(FLimits.MaxResultBytes, html.size(), AWhere);
            std::string next = WalkTextOutsideTags(html, true, [&](std::string_view ARun) {
                return ReplaceSnippetTokensInText(ARun, [&](const std::string& AName) {
                    std::string r = FastSnippet(AName);
                    guard.Add(r.size());
                    return r;
                });
            });
            if (next == html)
                break;  // a pass that changed nothing: so would every later one
            html = std::move(next);
        }
        for (int run = 0; run < kConditionRuns && LeftoverMarkerRegex().IsMatch(html); ++run) {
            std::string next = ReplaceConditionTokens(html, *FStore, /*AStopWhenSettled=*/true);
            if (next == html)
                break;
            html = std::move(next);
        }
        if (VariableRegex().IsMatch(html)) {
            TGrowthGuard guard(FLimits.MaxResultBytes, html.size(), AWhere);
            html = VariablePass(html, true, [&](const std::string& AName) { return FastVariable(AName); }, &guard);
        }
        return StripTokenMarkerStyling(html);
    }

    const std::string& FastVariable(const std::string& AName) const {
        static const std::string empty;
        auto it = FVariableIndex.find(LowerKey(AName));
        return it == FVariableIndex.end() ? empty : FStore->Variables()[static_cast<size_t>(it->second)].Value;
    }

    std::string FastSnippet(const std::string& AName) {
        auto it = FSnippetIndex.find(LowerKey(AName));
        int index = it == FSnippetIndex.end() ? -1 : it->second;
        return ExpandSnippetAt(index, index < 0 ? std::string() : FStore->Snippets()[static_cast<size_t>(index)].Html,
                               AName, [&](const std::string& AInner, const std::string& AAt) {
                                   return FastExpand(AInner, AAt);
                               });
    }

    // The snippet evaluator both schedules share: unknown or empty snippets and snippets already
    // being expanded further up give nothing; otherwise the snippet's HTML is expanded on its own.
    template <typename FExpand>
    std::string ExpandSnippetAt(int AIndex, const std::string& AHtml, const std::string& AName, FExpand&& AExpand) {
        if (AIndex < 0 || AHtml.empty())
            return std::string();
        FMemo.NoteReached(AIndex);
        if (FMemo.OnStack(AIndex))
            return std::string();  // a snippet inside itself is cut off here
        const bool fast = FSchedule == TExpansionSchedule::Fast;
        if (fast) {
            if (const std::string* reused = FMemo.Find(AIndex, FLimits.MaxSnippetDepth))
                return *reused;
        }
        if (FMemo.Depth() >= FLimits.MaxSnippetDepth)
            throw EAppError("Snippets are nested more than " + IntToStr(FLimits.MaxSnippetDepth) +
                            " levels deep (at snippet \"" + AName + "\")");
        if (++FExpansions > FLimits.MaxSnippetExpansions)
            throw EAppError("Reusable content expansion needs more than " +
                            IntToStr(static_cast<long long>(FLimits.MaxSnippetExpansions)) +
                            " snippet expansions for one topic (at snippet \"" + AName +
                            "\"): snippets refer to each other too often");
        FMemo.Push(AIndex);
        std::string result;
        try {
            result = AExpand(AHtml, "in snippet \"" + AName + "\"");
        } catch (...) {
            FMemo.Abandon();
            throw;
        }
        FMemo.Pop(result, fast);
        return result;
    }

    const TDocProject* FProject;
    std::shared_ptr<const TReusableProjectContent> FStore;
    TExpansionSchedule FSchedule;
    TExpansionLimits FLimits;
    std::unordered_map<std::string, int> FVariableIndex;
    std::unordered_map<std::string, int> FSnippetIndex;
    TSnippetMemo FMemo;
    size_t FExpansions = 0;
};

namespace {

std::shared_ptr<const TReusableProjectContent> LoadStore(const TDocProject* AProject) {
    auto store = std::make_shared<TReusableProjectContent>();
    store->LoadFromProject(AProject);
    return store;
}

}  // namespace

TTokenExpander::TTokenExpander(const TDocProject* AProject, TExpansionSchedule ASchedule,
                               const TExpansionLimits& ALimits)
    : TTokenExpander(AProject, LoadStore(AProject), ASchedule, ALimits) {}

TTokenExpander::TTokenExpander(const TDocProject* AProject, std::shared_ptr<const TReusableProjectContent> AStore,
                               TExpansionSchedule ASchedule, const TExpansionLimits& ALimits)
    : FImpl(std::make_unique<TImpl>(AProject, AStore ? std::move(AStore) : LoadStore(nullptr), ASchedule, ALimits)) {}

TTokenExpander::~TTokenExpander() = default;

std::string TTokenExpander::Expand(const std::string& AHtml) { return FImpl->Expand(AHtml); }

const TReusableProjectContent& TTokenExpander::Store() const { return FImpl->Store(); }

// ---- the cached store and the one-call entry point -----------------------------------------

std::shared_ptr<const TReusableProjectContent> LoadReusableContentCached(const TDocProject& AProject) {
    namespace fs = std::filesystem;
    struct TEntry {
        uintmax_t Size = 0;
        fs::file_time_type Time;
        std::shared_ptr<const TReusableProjectContent> Store;
    };
    static std::mutex mutex;
    static std::map<std::string, TEntry> cache;

    if (AProject.RootPath().empty())
        return std::make_shared<TReusableProjectContent>();
    const std::string path = ReusableContentPath(AProject);
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    if (ec || !fs::is_regular_file(st))
        return LoadStore(&AProject);  // no file: an empty store (or the error reading it)
    uintmax_t size = fs::file_size(path, ec);
    fs::file_time_type time = ec ? fs::file_time_type() : fs::last_write_time(path, ec);
    if (!ec) {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = cache.find(path);
        if (it != cache.end() && it->second.Size == size && it->second.Time == time)
            return it->second.Store;
    }
    auto store = LoadStore(&AProject);
    if (!ec) {
        std::lock_guard<std::mutex> lock(mutex);
        cache[path] = TEntry{size, time, store};
    }
    return store;
}

std::string ExpandReusableContent(const TDocProject* AProject, const std::string& AHtml) {
    if (!AProject || AProject->RootPath().empty() || AHtml.empty())
        return AHtml;
    TTokenExpander expander(AProject, LoadReusableContentCached(*AProject));
    return expander.Expand(AHtml);
}

std::string ExpandReusableContent(const TDocProject& AProject, const std::string& AHtml) {
    return ExpandReusableContent(&AProject, AHtml);
}
