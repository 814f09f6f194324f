#include "uSearchIndex.h"

#include "uJson.h"
#include "uPublishPipeline.h"
#include "uUnicodeText.h"
#include "uUtils.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

#include <unistd.h>

namespace {

constexpr unsigned kTitle = 1, kKeyword = 2, kBody = 4;
constexpr unsigned kCountCap = 20;
// The longest prefix whose combined hits are stored: a query term of up to this many code units
// is answered from one prefix shard instead of every word shard its words span.
constexpr size_t kPrefixLength = 4;

std::u16string FoldUtf16(const std::u16string& AWord) {
    UErrorCode status = U_ZERO_ERROR;
    std::u16string lower(AWord.size() * 3 + 4, u'\0');
    const int32_t n = u_strToLower(reinterpret_cast<UChar*>(lower.data()), static_cast<int32_t>(lower.size()),
                                   reinterpret_cast<const UChar*>(AWord.data()), static_cast<int32_t>(AWord.size()), "",
                                   &status);
    if (U_FAILURE(status))
        throw EAppError(std::string("Cannot fold a word for the search index: ") + u_errorName(status));
    lower.resize(static_cast<size_t>(n));
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    std::u16string decomposed(lower.size() * 4 + 4, u'\0');
    const int32_t m = unorm2_normalize(nfd, reinterpret_cast<const UChar*>(lower.data()), static_cast<int32_t>(lower.size()),
                                       reinterpret_cast<UChar*>(decomposed.data()), static_cast<int32_t>(decomposed.size()),
                                       &status);
    if (U_FAILURE(status))
        throw EAppError(std::string("Cannot fold a word for the search index: ") + u_errorName(status));
    decomposed.resize(static_cast<size_t>(m));
    std::u16string out;
    out.reserve(decomposed.size());
    for (char16_t c : decomposed)
        if (c < 0x0300 || c > 0x036F)
            out += c;
    return out;
}

// Calls AOnWord(word) for every maximal run of letters and digits, as a view into AText.
template <typename F>
void ForEachWord(const std::u16string& AText, F&& AOnWord) {
    const auto* s = reinterpret_cast<const UChar*>(AText.data());
    const int32_t length = static_cast<int32_t>(AText.size());
    int32_t i = 0, start = -1;
    while (i < length) {
        const int32_t at = i;
        UChar32 c;
        U16_NEXT(s, i, length, c);
        const bool inWord = c < 0x80 ? (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
                                     : (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
        if (inWord && start < 0)
            start = at;
        else if (!inWord && start >= 0) {
            AOnWord(std::u16string_view(AText).substr(static_cast<size_t>(start), static_cast<size_t>(at - start)));
            start = -1;
        }
    }
    if (start >= 0)
        AOnWord(std::u16string_view(AText).substr(static_cast<size_t>(start)));
}

void AppendString(std::string& AOut, const std::string& AText) {
    AOut += '"';
    JsonEscapeAppend(AOut, AText);
    AOut += '"';
}

void AppendStringList(std::string& AOut, const std::vector<std::u16string>& AItems) {
    AOut += '[';
    for (size_t i = 0; i < AItems.size(); ++i) {
        if (i)
            AOut += ',';
        AppendString(AOut, Utf16ToUtf8(AItems[i]));
    }
    AOut += ']';
}

bool StartsWith(const std::u16string& AWord, const std::u16string& APrefix) {
    return AWord.size() >= APrefix.size() && std::equal(APrefix.begin(), APrefix.end(), AWord.begin());
}

// Cuts words into shards of about AShardBytes: each shard is {"w":[words],"p":[[postings]...]},
// handed to AOnShard as soon as it is closed, so that no shard is held.
class TShardWriter {
public:
    TShardWriter(size_t ALimit, std::function<void(std::string&& ABody)> AOnShard)
        : FLimit(ALimit), FOnShard(std::move(AOnShard)) {}
    void Add(const std::u16string& AWord, std::string_view APostings) {
        if (FWords.empty())
            FFirsts.push_back(AWord);
        FWords.push_back(AWord);
        if (!FPostings.empty())
            FPostings += ',';
        FPostings += '[';
        FPostings += APostings;
        FPostings += ']';
        FBytes += AWord.size() + APostings.size() + 6;
        if (FBytes >= FLimit)
            Close();
    }
    // The first word of every shard.
    std::vector<std::u16string> Finish() {
        Close();
        return std::move(FFirsts);
    }

private:
    void Close() {
        if (FWords.empty())
            return;
        std::string body = "{\"w\":";
        AppendStringList(body, FWords);
        body += ",\"p\":[" + FPostings + "]}";
        FOnShard(std::move(body));
        FWords.clear();
        FPostings.clear();
        FBytes = 0;
    }
    size_t FLimit;
    std::function<void(std::string&&)> FOnShard;
    size_t FBytes = 0;
    std::vector<std::u16string> FWords;
    std::string FPostings;
    std::vector<std::u16string> FFirsts;
};

void AppendNumber(std::string& AOut, uint64_t AValue) {
    if (!AOut.empty() && AOut.back() != '[')
        AOut += ',';
    AOut += std::to_string(AValue);
}

constexpr uint64_t kFnvBasis = 14695981039346656037ull;

uint64_t Fnv1a(uint64_t AHash, std::string_view AText) {
    for (unsigned char c : AText) {
        AHash ^= c;
        AHash *= 1099511628211ull;
    }
    return AHash;
}

std::string Hex16(uint64_t AValue) {
    static const char* digits = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, AValue >>= 4)
        out[static_cast<size_t>(i)] = digits[AValue & 15];
    return out;
}

uint64_t Fnv1a(uint64_t AHash, uint64_t AValue) {
    const char bytes[8] = {char(AValue), char(AValue >> 8), char(AValue >> 16), char(AValue >> 24),
                           char(AValue >> 32), char(AValue >> 40), char(AValue >> 48), char(AValue >> 56)};
    return Fnv1a(AHash, std::string_view(bytes, 8));
}

std::string PieceScript(const std::string& AId, const std::string& AName, const std::string& ABody) {
    return "window.__SV_INDEX_PIECE(\"" + AId + "\"," + AName + "," + ABody + ");";
}

// The pipeline options of the index's own work: AThreads workers, no progress, no cancel.
TPublishOptions WorkerOptions(unsigned AThreads) {
    TPublishOptions options;
    options.Threads = AThreads;
    return options;
}

// Runs AMake(chunk) for every chunk below ACount on AThreads workers and hands the results to
// AUse in chunk order on the calling thread.
void InOrderOnWorkers(size_t ACount, unsigned AThreads, const std::function<std::string(size_t AChunk, size_t AWorker)>& AMake,
                      const std::function<void(size_t AChunk, std::string&& AResult)>& AUse) {
    RunPagePipeline(ACount, WorkerOptions(AThreads), AMake, AUse);
}

// Calls AOnLine for each '\n'-terminated line of AText.
template <typename F>
void ForEachLine(std::string_view AText, F&& AOnLine) {
    size_t at = 0;
    while (at < AText.size()) {
        const size_t end = AText.find('\n', at);
        AOnLine(AText.substr(at, end - at));
        at = end + 1;
    }
}

}  // namespace

std::string FoldSearchWord(const std::string& AWord) { return Utf16ToUtf8(FoldUtf16(Utf8ToUtf16(AWord))); }

std::vector<std::string> SearchWords(const std::string& AText) {
    std::vector<std::string> out;
    ForEachWord(Utf8ToUtf16(AText), [&](std::u16string_view AWord) { out.push_back(Utf16ToUtf8(std::u16string(AWord))); });
    return out;
}

// An unnamed temporary file that texts are appended to and read back from; it goes when closed.
class TSearchIndexBuilder::TTextSpill {
public:
    TTextSpill() : FFile(std::tmpfile()) {
        if (!FFile)
            throw EAppError(std::string("Cannot create a temporary file for the search index: ") + std::strerror(errno));
        std::setvbuf(FFile, nullptr, _IOFBF, 1 << 20);
    }
    ~TTextSpill() { std::fclose(FFile); }
    TTextSpill(const TTextSpill&) = delete;
    TTextSpill& operator=(const TTextSpill&) = delete;

    TTextAt Append(const std::string& AText) {
        const TTextAt at{FEnd, AText.size()};
        if (AText.empty())
            return at;
        FFlushed = false;
        if (std::fwrite(AText.data(), 1, AText.size(), FFile) != AText.size())
            Fail();
        FEnd += AText.size();
        return at;
    }

    // Makes what was appended readable by Read.
    void Flush() {
        if (!FFlushed && std::fflush(FFile) != 0)
            Fail();
        FFlushed = true;
    }

    // Safe on several threads at once, after Flush.
    std::string Read(const TTextAt& AAt) const {
        std::string text(AAt.Length, '\0');
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::pread(fileno(FFile), text.data() + done, text.size() - done,
                                      static_cast<off_t>(AAt.Offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                Fail();
            done += static_cast<size_t>(n);
        }
        return text;
    }

private:
    [[noreturn]] static void Fail() {
        throw EAppError(std::string("Cannot use the temporary file of the search index: ") +
                        std::strerror(errno ? errno : EIO));
    }
    std::FILE* FFile;
    uint64_t FEnd = 0;
    bool FFlushed = true;
};

TSearchIndexBuilder::~TSearchIndexBuilder() = default;

std::string TSearchIndexBuilder::Text(unsigned ANumber) const { return FTexts->Read(FTextAt[ANumber]); }

TSearchIndexBuilder::TSearchIndexBuilder(const std::vector<std::string>& ATocOrder, TSearchIndexOptions AOptions)
    : FOptions(AOptions), FTexts(std::make_unique<TTextSpill>()) {
    if (FOptions.ShardBytes == 0)
        FOptions.ShardBytes = 1;
    if (FOptions.TopicsPerTextPiece == 0)
        FOptions.TopicsPerTextPiece = 1;
    for (const std::string& id : ATocOrder)
        FNumbers.emplace(id, static_cast<unsigned>(FNumbers.size()));
    FTocCount = static_cast<unsigned>(FNumbers.size());
    FTextAt.resize(FTocCount);
    FKeywords.resize(FTocCount);
    FTextHash.resize(FTocCount, 0);
    FAdded.resize(FTocCount, false);
}

namespace {

struct TViewHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view AWord) const { return std::hash<std::u16string_view>()(AWord); }
    size_t operator()(const std::u16string& AWord) const { return std::hash<std::u16string_view>()(AWord); }
};
struct TViewEqual {
    using is_transparent = void;
    template <typename A, typename B>
    bool operator()(const A& AOne, const B& AOther) const {
        return std::u16string_view(AOne) == std::u16string_view(AOther);
    }
};

// A word's folded form and that form's hash.
struct TFolded {
    std::u16string Text;
    size_t Hash = 0;
};
using TFoldCache = std::unordered_map<std::u16string, TFolded, TViewHash, TViewEqual>;

// The folded form of a word that is not all ASCII.
const TFolded& CachedFold(TFoldCache& ACache, std::u16string_view AWord) {
    const auto it = ACache.find(AWord);
    if (it != ACache.end())
        return it->second;
    TFolded folded;
    folded.Text = FoldUtf16(std::u16string(AWord));
    folded.Hash = std::hash<std::u16string_view>()(folded.Text);
    return ACache.emplace(std::u16string(AWord), std::move(folded)).first->second;
}

// A folded word (a view into the fold cache) with its hash.
struct TFoldedKey {
    std::u16string_view Text;
    size_t Hash;
    bool operator==(const TFoldedKey& AOther) const { return Text == AOther.Text; }
};
struct TFoldedKeyHash {
    size_t operator()(const TFoldedKey& AKey) const { return AKey.Hash; }
};

}  // namespace

TSearchTopicWords AnalyseSearchTopic(const std::string& ATitle, const std::string& AKeywords, const std::string& AText) {
    // Folding with a per-thread cache: prose repeats its words. It is emptied only here, before
    // the views into it below are taken.
    thread_local TFoldCache cache;
    if (cache.size() > 200000)
        cache.clear();
    // The words as written are counted first and each distinct one is folded once: prose
    // repeats its words, and folding merges only what it maps to the same word.
    std::u16string fields[] = {Utf8ToUtf16(ATitle), Utf8ToUtf16(AKeywords), Utf8ToUtf16(AText)};
    // ASCII capitals are lowered first: folding lowers them in any word, so a word of ASCII
    // letters and digits is then its own folded form and needs no lookup in the cache.
    for (std::u16string& field : fields)
        for (char16_t& c : field)
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c + 32);
    std::unordered_map<std::u16string_view, std::pair<unsigned, unsigned>> written;  // fields, body count
    written.reserve(1024);
    for (unsigned f = 0; f < 3; ++f) {
        const unsigned field = f == 0 ? kTitle : f == 1 ? kKeyword : kBody;
        ForEachWord(fields[f], [&](std::u16string_view AWord) {
            auto& hit = written[AWord];
            hit.first |= field;
            if (field == kBody)
                ++hit.second;
        });
    }
    std::unordered_map<TFoldedKey, std::pair<unsigned, unsigned>, TFoldedKeyHash> hits;  // fields, body count
    hits.reserve(written.size());
    size_t chars = 0;
    for (const auto& [word, hit] : written) {
        TFoldedKey key;
        if (std::all_of(word.begin(), word.end(), [](char16_t c) { return c < 0x80; })) {
            key = {word, std::hash<std::u16string_view>()(word)};
        } else {
            const TFolded& folded = CachedFold(cache, word);
            key = {folded.Text, folded.Hash};
        }
        auto [it, isNew] = hits.try_emplace(key, 0u, 0u);
        it->second.first |= hit.first;
        it->second.second += hit.second;
        if (isNew)
            chars += key.Text.size();
    }
    TSearchTopicWords out;
    out.Chars.reserve(chars);
    out.Words.reserve(hits.size());
    for (const auto& [key, hit] : hits) {
        out.Words.push_back({static_cast<uint32_t>(out.Chars.size()), static_cast<uint32_t>(key.Text.size()), key.Hash,
                             hit.first, hit.second});
        out.Chars += key.Text;
    }
    out.TextHash = Fnv1a(Fnv1a(Fnv1a(kFnvBasis, static_cast<uint64_t>(AText.size())), AText), AKeywords);
    out.Keywords = AKeywords;
    return out;
}

void TSearchIndexBuilder::Add(const std::string& AID, const std::string& ATitle, const std::string& AFile,
                              const std::string& AText, const std::string& AKeywords) {
    Add(AID, ATitle, AFile, AText, AnalyseSearchTopic(ATitle, AKeywords, AText));
}

void TSearchIndexBuilder::Add(const std::string& AID, const std::string& ATitle, const std::string& AFile,
                              const std::string& AText, TSearchTopicWords AWords) {
    auto [it, isNew] = FNumbers.emplace(AID, static_cast<unsigned>(FNumbers.size()));
    const unsigned no = it->second;
    if (isNew) {
        FOutside.push_back({AID, ATitle, AFile});
        FTextAt.emplace_back();
        FKeywords.emplace_back();
        FTextHash.push_back(0);
        FAdded.push_back(false);
    }
    if (FAdded[no])
        return;
    FAdded[no] = true;
    FTextAt[no] = FTexts->Append(AText);
    FKeywords[no] = std::move(AWords.Keywords);
    FTextHash[no] = AWords.TextHash;
    for (const TSearchTopicWords::TWord& w : AWords.Words) {
        const TWordKey key{AWords.Word(w), w.Hash};
        auto found = FPostings.find(key);
        if (found == FPostings.end())
            found = FPostings.emplace(std::u16string(key.Text), std::vector<TPosting>()).first;
        found->second.push_back({no, w.Fields, w.Count});
    }
}

void TSearchIndexBuilder::Generate(const TFileSink& AOut) const {
    FTexts->Flush();
    const size_t topicCount = FNumbers.size();
    const unsigned threads = FOptions.Threads;
    // The vocabulary in order; the postings of every word are sorted by topic on the workers.
    using TEntry = std::pair<const std::u16string, std::vector<TPosting>>;
    std::vector<TEntry*> entries;
    entries.reserve(FPostings.size());
    for (TEntry& entry : FPostings)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(), [](const TEntry* A, const TEntry* B) { return A->first < B->first; });

    // Work is handed out in runs of this many words (or prefixes); each run comes back as one
    // posting list per line.
    constexpr size_t kRun = 256;
    const size_t runs = (entries.size() + kRun - 1) / kRun;
    // The shards wait in a temporary file, each with its hash, until the publish id is known.
    TTextSpill shardSpill;
    std::vector<TTextAt> shardAt;
    std::vector<uint64_t> shardHash;
    const auto keepShard = [&](std::string&& ABody) {
        shardHash.push_back(Fnv1a(kFnvBasis, ABody));
        shardAt.push_back(shardSpill.Append(ABody));
    };
    TShardWriter words(FOptions.ShardBytes, keepShard);
    InOrderOnWorkers(
        runs, threads,
        [&](size_t ARun, size_t) {
            std::string lists;
            for (size_t i = ARun * kRun, end = std::min(entries.size(), i + kRun); i < end; ++i) {
                std::vector<TPosting>& postings = entries[i]->second;
                const auto byTopic = [](const TPosting& A, const TPosting& B) { return A.Topic < B.Topic; };
                if (!std::is_sorted(postings.begin(), postings.end(), byTopic))
                    std::sort(postings.begin(), postings.end(), byTopic);
                std::string list;
                unsigned previous = 0;
                for (const TPosting& p : postings) {
                    AppendNumber(list, p.Topic - previous);
                    AppendNumber(list, p.Fields | (static_cast<uint64_t>(p.Count) << 3));
                    previous = p.Topic;
                }
                lists += list;
                lists += '\n';
            }
            return lists;
        },
        [&](size_t ARun, std::string&& ALists) {
            size_t i = ARun * kRun;
            ForEachLine(ALists, [&](std::string_view AList) { words.Add(entries[i++]->first, AList); });
        });
    const std::vector<std::u16string> wordFirsts = words.Finish();

    // Prefixes of one to kPrefixLength code units, never cutting a surrogate pair.
    std::vector<std::u16string> prefixes;
    for (const TEntry* entry : entries)
        for (size_t length = 1; length <= kPrefixLength; ++length)
            if (entry->first.size() >= length && !U16_IS_LEAD(entry->first[length - 1]))
                prefixes.push_back(entry->first.substr(0, length));
    std::sort(prefixes.begin(), prefixes.end());
    prefixes.erase(std::unique(prefixes.begin(), prefixes.end()), prefixes.end());

    struct TCombined {
        unsigned Fields = 0, Exact = 0, Count = 0;
    };
    const size_t prefixRuns = (prefixes.size() + kRun - 1) / kRun;
    // One scratch table per worker, made when the worker first needs it.
    std::vector<std::vector<TCombined>> scratches(PipelineWorkerCount(WorkerOptions(threads), prefixRuns));
    const auto prefixList = [&](const std::u16string& APrefix, std::vector<TCombined>& AScratch) {
        std::vector<unsigned> touched;
        for (size_t i = static_cast<size_t>(
                 std::lower_bound(entries.begin(), entries.end(), APrefix,
                                  [](const TEntry* AEntry, const std::u16string& AKey) { return AEntry->first < AKey; }) -
                 entries.begin());
             i < entries.size() && StartsWith(entries[i]->first, APrefix); ++i) {
            const bool exact = entries[i]->first == APrefix;
            for (const TPosting& p : entries[i]->second) {
                TCombined& c = AScratch[p.Topic];
                if (!c.Fields)
                    touched.push_back(p.Topic);
                c.Fields |= p.Fields;
                if (exact)
                    c.Exact |= p.Fields;
                c.Count = std::min(kCountCap, c.Count + std::min(kCountCap, p.Count));
            }
        }
        std::sort(touched.begin(), touched.end());
        std::string list;
        unsigned previous = 0;
        for (unsigned topic : touched) {
            TCombined& c = AScratch[topic];
            AppendNumber(list, topic - previous);
            AppendNumber(list, c.Fields | (c.Exact << 3) | (c.Count << 6));
            previous = topic;
            c = TCombined{};
        }
        return list;
    };
    TShardWriter prefixWriter(FOptions.ShardBytes, keepShard);
    InOrderOnWorkers(
        prefixRuns, threads,
        [&](size_t ARun, size_t AWorker) {
            std::vector<TCombined>& scratch = scratches[AWorker];
            scratch.resize(topicCount);
            std::string lists;
            for (size_t i = ARun * kRun, end = std::min(prefixes.size(), i + kRun); i < end; ++i) {
                lists += prefixList(prefixes[i], scratch);
                lists += '\n';
            }
            return lists;
        },
        [&](size_t ARun, std::string&& ALists) {
            size_t i = ARun * kRun;
            ForEachLine(ALists, [&](std::string_view AList) { prefixWriter.Add(prefixes[i++], AList); });
        });
    scratches.clear();
    const std::vector<std::u16string> prefixFirsts = prefixWriter.Finish();
    shardSpill.Flush();

    // Text pieces: the texts of a few consecutive topics each.
    const size_t group = FOptions.TopicsPerTextPiece;
    const size_t textPieces = (topicCount + group - 1) / group;
    const auto textPiece = [&](size_t APiece) {
        const size_t first = APiece * group;
        const size_t end = std::min(topicCount, first + group);
        std::string body = "{\"t\":[";
        bool keywords = false;
        for (size_t no = first; no < end; ++no) {
            if (no > first)
                body += ',';
            AppendString(body, Text(static_cast<unsigned>(no)));
            keywords = keywords || !FKeywords[no].empty();
        }
        // The keywords too, unless all are empty: the viewer checks the last terms of a query
        // against the few topics still left from their own words.
        if (keywords) {
            body += "],\"k\":[";
            for (size_t no = first; no < end; ++no) {
                if (no > first)
                    body += ',';
                AppendString(body, FKeywords[no]);
            }
        }
        return body + "]}";
    };

    std::string manifest = "{\"topics\":" + std::to_string(topicCount) + ",\"words\":";
    AppendStringList(manifest, wordFirsts);
    manifest += ",\"prefixes\":";
    AppendStringList(manifest, prefixFirsts);
    manifest += ",\"group\":" + std::to_string(FOptions.TopicsPerTextPiece) + ",\"texts\":" +
                std::to_string(textPieces) + ",\"prefixLength\":" + std::to_string(kPrefixLength) + "}";

    // The publish id: the manifest, every shard and every topic's text and keywords.
    uint64_t hash = Fnv1a(kFnvBasis, manifest);
    for (uint64_t h : shardHash)
        hash = Fnv1a(hash, h);
    for (size_t no = 0; no < topicCount; ++no)
        hash = Fnv1a(hash, FAdded[no] ? FTextHash[no] : 0);
    const std::string id = Hex16(hash);

    AOut("search/index.js", PieceScript(id, "\"index\"", manifest));
    InOrderOnWorkers(
        shardAt.size(), threads,
        [&](size_t AShard, size_t) { return PieceScript(id, std::to_string(AShard), shardSpill.Read(shardAt[AShard])); },
        [&](size_t AShard, std::string&& AScript) { AOut("search/" + std::to_string(AShard) + ".js", AScript); });
    const size_t firstText = shardAt.size();
    InOrderOnWorkers(
        textPieces, threads,
        [&](size_t APiece, size_t) { return PieceScript(id, std::to_string(firstText + APiece), textPiece(APiece)); },
        [&](size_t APiece, std::string&& AScript) {
            AOut("search/" + std::to_string(firstText + APiece) + ".js", AScript);
        });

    std::string start = "window.__SV_START = {\"searchOnly\":[";
    for (size_t i = 0; i < FOutside.size(); ++i) {
        if (i)
            start += ',';
        start += "{\"id\":";
        AppendString(start, FOutside[i].ID);
        start += ",\"title\":";
        AppendString(start, FOutside[i].Title);
        start += ",\"file\":";
        AppendString(start, FOutside[i].File);
        start += '}';
    }
    start += "],\"load\":[";
    for (size_t i = 0; i < FLoad.size(); ++i) {
        if (i)
            start += ',';
        AppendString(start, FLoad[i]);
    }
    start += "],\"later\":{";
    for (size_t i = 0; i < FLater.size(); ++i) {
        if (i)
            start += ',';
        AppendString(start, FLater[i].first);
        start += ':';
        AppendString(start, FLater[i].second);
    }
    start += "}};";
    AOut("start.js", start);
}

std::vector<std::pair<std::string, std::string>> TSearchIndexBuilder::Files() const {
    std::vector<std::pair<std::string, std::string>> files;
    Generate([&files](const std::string& AName, const std::string& AContent) { files.emplace_back(AName, AContent); });
    return files;
}

void TSearchIndexBuilder::AddLater(const std::string& AName, const std::string& AFile) {
    FLater.emplace_back(AName, AFile);
}

void TSearchIndexBuilder::Write(const std::string& AOutputRoot) const {
    const std::string folder = EnsureDir(CombinePath(AOutputRoot, "search"));
    const std::string prefix = "search/";
    std::unordered_set<std::string> written;
    Generate([&](const std::string& AName, const std::string& AContent) {
        WriteOutputFile(CombinePath(AOutputRoot, AName), AContent);
        if (AName.rfind(prefix, 0) == 0)
            written.insert(AName.substr(prefix.size()));
    });
    // Pieces of an earlier, larger index in a reused output folder.
    RemoveEntriesNotWritten(folder, written);
}
