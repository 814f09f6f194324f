#include "uRegex.h"

#include "uUtils.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <mutex>
#include <unordered_map>

// ---- compiled programs -------------------------------------------------------------------------

struct TRegexProgram {
    std::string Pattern;
    pcre2_code* Code = nullptr;
    uint32_t CaptureCount = 0;
    std::vector<std::pair<std::string, int>> Names;  // named group -> number

    ~TRegexProgram() {
        if (Code)
            pcre2_code_free(Code);
    }
    int NumberOf(std::string_view AName) const {
        for (const auto& [name, number] : Names)
            if (name == AName)
                return number;
        return -1;
    }
};

namespace {

// Limits that turn catastrophic backtracking into an error instead of a hang or a crash.
constexpr uint32_t kMatchLimit = 10'000'000;       // backtracking steps per match call
constexpr uint32_t kDepthLimit = 10'000'000;       // nested backtracking points
constexpr uint32_t kHeapLimitKiB = 256 * 1024;     // interpreter frame memory
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 16 * 1024 * 1024;  // JIT machine stack

std::string PcreErrorText(int ACode) {
    PCRE2_UCHAR buf[256];
    int n = pcre2_get_error_message(ACode, buf, sizeof buf);
    if (n < 0)
        return "error " + IntToStr(ACode);
    return std::string(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
}

std::shared_ptr<const TRegexProgram> CompileProgram(std::string_view APattern, unsigned AOptions) {
    uint32_t opts = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    if (AOptions & roIgnoreCase)
        opts |= PCRE2_CASELESS;
    if (AOptions & roSingleLine)
        opts |= PCRE2_DOTALL;
    int err = 0;
    PCRE2_SIZE errOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(APattern.data()), APattern.size(), opts,
                                     &err, &errOffset, nullptr);
    if (!code)
        throw EAppError("Invalid regular expression \"" + std::string(APattern) + "\" at offset " +
                        IntToStr(static_cast<long long>(errOffset)) + ": " + PcreErrorText(err));
    auto prog = std::make_shared<TRegexProgram>();
    prog->Pattern = std::string(APattern);
    prog->Code = code;
    // Without JIT support the interpreter runs the same program; nothing else changes.
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &prog->CaptureCount);
    uint32_t nameCount = 0, entrySize = 0;
    PCRE2_SPTR table = nullptr;
    pcre2_pattern_info(code, PCRE2_INFO_NAMECOUNT, &nameCount);
    pcre2_pattern_info(code, PCRE2_INFO_NAMEENTRYSIZE, &entrySize);
    pcre2_pattern_info(code, PCRE2_INFO_NAMETABLE, &table);
    for (uint32_t i = 0; i < nameCount; ++i) {
        PCRE2_SPTR e = table + static_cast<size_t>(i) * entrySize;
        int number = (e[0] << 8) | e[1];
        prog->Names.emplace_back(reinterpret_cast<const char*>(e + 2), number);
    }
    return prog;
}

std::shared_ptr<const TRegexProgram> CachedProgram(std::string_view APattern, unsigned AOptions) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::shared_ptr<const TRegexProgram>> cache;
    std::string key;
    key.reserve(APattern.size() + 4);
    key += IntToStr(AOptions);
    key.push_back('\n');
    key.append(APattern);
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    auto prog = CompileProgram(APattern, AOptions);
    cache.emplace(std::move(key), prog);
    return prog;
}

// Per-thread match context with the limits and a JIT stack larger than the default 32 KiB.
class TMatchContext {
public:
    TMatchContext() {
        FContext = pcre2_match_context_create(nullptr);
        if (!FContext)
            throw EAppError("Out of memory creating a regular-expression match context");
        pcre2_set_match_limit(FContext, kMatchLimit);
        pcre2_set_depth_limit(FContext, kDepthLimit);
        pcre2_set_heap_limit(FContext, kHeapLimitKiB);
        FStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        if (FStack)
            pcre2_jit_stack_assign(FContext, nullptr, FStack);
    }
    ~TMatchContext() {
        if (FStack)
            pcre2_jit_stack_free(FStack);
        pcre2_match_context_free(FContext);
    }
    TMatchContext(const TMatchContext&) = delete;
    TMatchContext& operator=(const TMatchContext&) = delete;
    pcre2_match_context* Get() const { return FContext; }

private:
    pcre2_match_context* FContext = nullptr;
    pcre2_jit_stack* FStack = nullptr;
};

pcre2_match_context* ThreadMatchContext() {
    thread_local TMatchContext context;
    return context.Get();
}

class TMatchData {
public:
    explicit TMatchData(const pcre2_code* ACode) : FData(pcre2_match_data_create_from_pattern(ACode, nullptr)) {
        if (!FData)
            throw EAppError("Out of memory creating regular-expression match data");
    }
    ~TMatchData() { pcre2_match_data_free(FData); }
    TMatchData(const TMatchData&) = delete;
    TMatchData& operator=(const TMatchData&) = delete;
    pcre2_match_data* Get() const { return FData; }

private:
    pcre2_match_data* FData;
};

[[noreturn]] void ThrowMatchError(const TRegexProgram& AProgram, int ACode) {
    std::string what;
    switch (ACode) {
    case PCRE2_ERROR_MATCHLIMIT: what = "match limit exceeded (too much backtracking)"; break;
    case PCRE2_ERROR_DEPTHLIMIT: what = "depth limit exceeded (too much backtracking)"; break;
    case PCRE2_ERROR_HEAPLIMIT: what = "heap limit exceeded (too much backtracking)"; break;
    case PCRE2_ERROR_JIT_STACKLIMIT: what = "JIT stack limit exceeded (too much backtracking)"; break;
    default: what = PcreErrorText(ACode); break;
    }
    throw EAppError("Regular expression \"" + AProgram.Pattern + "\" failed: " + what);
}

size_t NextCharStart(std::string_view AText, size_t APos) {
    ++APos;
    while (APos < AText.size() && (static_cast<unsigned char>(AText[APos]) & 0xC0) == 0x80)
        ++APos;
    return APos;
}

// Finds successive matches, filling AMatch; AOnMatch returns false to stop.
template <typename F>
void Scan(const TRegexProgram& AProgram, std::string_view AInput, size_t AStart, TRegexMatch& AMatch,
          std::vector<size_t>& AOffsets, F&& AOnMatch) {
    TMatchData data(AProgram.Code);
    pcre2_match_context* ctx = ThreadMatchContext();
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(AInput.data());
    const size_t len = AInput.size();
    const size_t pairs = AProgram.CaptureCount + 1;
    size_t start = AStart;
    uint32_t opts = 0;
    while (start <= len) {
        int rc = pcre2_match(AProgram.Code, subject, len, start, opts, data.Get(), ctx);
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (opts == 0)
                return;
            // The previous match was empty here and no non-empty one starts here: move on.
            opts = 0;
            start = NextCharStart(AInput, start);
            continue;
        }
        if (rc < 0)
            ThrowMatchError(AProgram, rc);
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data.Get());
        AOffsets.assign(pairs * 2, std::string_view::npos);
        const size_t set = rc == 0 ? pairs : std::min<size_t>(pairs, static_cast<size_t>(rc));
        for (size_t i = 0; i < set * 2; ++i)
            AOffsets[i] = ov[i] == PCRE2_UNSET ? std::string_view::npos : ov[i];
        size_t so = AOffsets[0], eo = AOffsets[1];
        if (eo < so)  // \K beyond the end: treat as an empty match at its end
            AOffsets[0] = so = eo;
        if (!AOnMatch(AMatch))
            return;
        start = eo;
        opts = eo == so ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
    }
}

struct TTemplatePart {
    std::string Literal;  // used when Group < 0
    int Group = -1;       // group number
    int Special = 0;      // '`' before the match, '\'' after it
};

std::vector<TTemplatePart> ParseTemplate(std::string_view ATemplate, const TRegexProgram& AProgram) {
    std::vector<TTemplatePart> parts;
    auto lit = [&](std::string_view s) {
        if (parts.empty() || parts.back().Group >= 0 || parts.back().Special)
            parts.push_back({});
        parts.back().Literal.append(s);
    };
    const int groups = static_cast<int>(AProgram.CaptureCount);
    size_t i = 0;
    while (i < ATemplate.size()) {
        char c = ATemplate[i];
        if (c != '$' || i + 1 >= ATemplate.size()) {
            lit(ATemplate.substr(i, 1));
            ++i;
            continue;
        }
        char d = ATemplate[i + 1];
        if (d == '$') {
            lit("$");
            i += 2;
        } else if (d == '&') {
            parts.push_back({"", 0, 0});
            i += 2;
        } else if (d == '`' || d == '\'') {
            parts.push_back({"", -1, d});
            i += 2;
        } else if (d >= '0' && d <= '9') {
            size_t j = i + 1;
            long long n = 0;
            while (j < ATemplate.size() && ATemplate[j] >= '0' && ATemplate[j] <= '9') {
                if (n < 1'000'000)
                    n = n * 10 + (ATemplate[j] - '0');
                ++j;
            }
            if (n <= groups)
                parts.push_back({"", static_cast<int>(n), 0});
            else
                lit(ATemplate.substr(i, j - i));
            i = j;
        } else if (d == '{') {
            size_t close = ATemplate.find('}', i + 2);
            if (close == std::string_view::npos) {
                lit("$");
                ++i;
                continue;
            }
            std::string_view ref = ATemplate.substr(i + 2, close - i - 2);
            int number = -1;
            if (!ref.empty() && ref.find_first_not_of("0123456789") == std::string_view::npos) {
                if (ref.size() <= 6 && std::stoi(std::string(ref)) <= groups)
                    number = std::stoi(std::string(ref));
            } else {
                number = AProgram.NumberOf(ref);
            }
            if (number >= 0)
                parts.push_back({"", number, 0});
            else
                lit(ATemplate.substr(i, close + 1 - i));
            i = close + 1;
        } else {
            lit("$");
            ++i;
        }
    }
    return parts;
}

}  // namespace

// ---- TRegexMatch -------------------------------------------------------------------------------

bool TRegexMatch::GroupSuccess(int AIndex) const {
    if (AIndex < 0 || AIndex >= GroupCount())
        return false;
    return FOffsets[static_cast<size_t>(AIndex) * 2] != std::string_view::npos;
}

std::string_view TRegexMatch::Group(int AIndex) const {
    if (!GroupSuccess(AIndex))
        return {};
    size_t so = FOffsets[static_cast<size_t>(AIndex) * 2], eo = FOffsets[static_cast<size_t>(AIndex) * 2 + 1];
    return FSubject.substr(so, eo - so);
}

int TRegexMatch::GroupNumber(std::string_view AName) const {
    return FProgram ? FProgram->NumberOf(AName) : -1;
}

std::string_view TRegexMatch::Group(std::string_view AName) const {
    int n = GroupNumber(AName);
    if (n < 0)
        throw EAppError("Regular expression \"" + (FProgram ? FProgram->Pattern : std::string()) +
                        "\" has no group named \"" + std::string(AName) + "\"");
    return Group(n);
}

bool TRegexMatch::GroupSuccess(std::string_view AName) const {
    int n = GroupNumber(AName);
    return n >= 0 && GroupSuccess(n);
}

// ---- TRegex ------------------------------------------------------------------------------------

TRegex::TRegex(std::string_view APattern, unsigned AOptions)
    : FProgram(CachedProgram(APattern, AOptions)), FOptions(AOptions) {}

const std::string& TRegex::Pattern() const { return FProgram->Pattern; }

void TRegex::ForEachMatch(std::string_view AInput, const std::function<bool(const TRegexMatch&)>& AVisit) const {
    TRegexMatch m;
    m.FSubject = AInput;
    m.FProgram = FProgram.get();
    Scan(*FProgram, AInput, 0, m, m.FOffsets, [&](const TRegexMatch& AMatch) { return AVisit(AMatch); });
}

bool TRegex::IsMatch(std::string_view AInput, size_t AStart) const { return Match(AInput, AStart).has_value(); }

std::optional<TRegexMatch> TRegex::Match(std::string_view AInput, size_t AStart) const {
    if (AStart > AInput.size())
        return std::nullopt;
    TRegexMatch m;
    m.FSubject = AInput;
    m.FProgram = FProgram.get();
    bool found = false;
    Scan(*FProgram, AInput, AStart, m, m.FOffsets, [&](const TRegexMatch&) {
        found = true;
        return false;
    });
    if (!found)
        return std::nullopt;
    return m;
}

std::vector<TRegexMatch> TRegex::Matches(std::string_view AInput) const {
    std::vector<TRegexMatch> out;
    ForEachMatch(AInput, [&](const TRegexMatch& AMatch) {
        out.push_back(AMatch);
        return true;
    });
    return out;
}

std::string TRegex::Replace(std::string_view AInput, const TMatchEvaluator& AEvaluator) const {
    std::string out;
    size_t copied = 0;
    bool any = false;
    ForEachMatch(AInput, [&](const TRegexMatch& AMatch) {
        if (!any) {
            out.reserve(AInput.size());
            any = true;
        }
        out.append(AInput.substr(copied, AMatch.Index() - copied));
        out += AEvaluator(AMatch);
        copied = AMatch.Index() + AMatch.Length();
        return true;
    });
    if (!any)
        return std::string(AInput);
    out.append(AInput.substr(copied));
    return out;
}

std::string TRegex::Replace(std::string_view AInput, std::string_view AReplacement) const {
    const std::vector<TTemplatePart> parts = ParseTemplate(AReplacement, *FProgram);
    return Replace(AInput, [&](const TRegexMatch& AMatch) {
        std::string r;
        for (const TTemplatePart& p : parts) {
            if (p.Group >= 0)
                r.append(AMatch.Group(p.Group));
            else if (p.Special == '`')
                r.append(AInput.substr(0, AMatch.Index()));
            else if (p.Special == '\'')
                r.append(AInput.substr(AMatch.Index() + AMatch.Length()));
            else
                r += p.Literal;
        }
        return r;
    });
}

std::string ReplaceMatchesWith(std::string_view AInput, const TRegex& ARegex, const TMatchEvaluator& AEvaluator) {
    return ARegex.Replace(AInput, [&](const TRegexMatch& AMatch) {
        if (AMatch.Length() == 0)
            return std::string();
        return AEvaluator(AMatch);
    });
}

std::string ReplaceMatchesWith(std::string_view AInput, std::string_view APattern, unsigned AOptions,
                               const TMatchEvaluator& AEvaluator) {
    return ReplaceMatchesWith(AInput, TRegex(APattern, AOptions), AEvaluator);
}
