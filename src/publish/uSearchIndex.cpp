#include "uSearchIndex.h"

#include "uJson.h"
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

namespace {

constexpr unsigned kTitle = 1, kKeyword = 2, kBody = 4;
constexpr unsigned kCountCap = 20;

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

bool IsAscii(const std::u16string& AWord) {
    return std::all_of(AWord.begin(), AWord.end(), [](char16_t c) { return c < 0x80; });
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

// Cuts words into shards of about AShardBytes: each shard is {"w":[words],"p":[[postings]...]}.
struct TShards {
    std::vector<std::u16string> Firsts;
    std::vector<std::string> Bodies;
};

class TShardWriter {
public:
    explicit TShardWriter(size_t ALimit) : FLimit(ALimit) {}
    void Add(const std::u16string& AWord, const std::string& APostings) {
        if (FWords.empty())
            FShards.Firsts.push_back(AWord);
        FWords.push_back(AWord);
        if (!FPostings.empty())
            FPostings += ',';
        FPostings += '[' + APostings + ']';
        FBytes += AWord.size() + APostings.size() + 6;
        if (FBytes >= FLimit)
            Close();
    }
    TShards Finish() {
        Close();
        return std::move(FShards);
    }

private:
    void Close() {
        if (FWords.empty())
            return;
        std::string body = "{\"w\":";
        AppendStringList(body, FWords);
        body += ",\"p\":[" + FPostings + "]}";
        FShards.Bodies.push_back(std::move(body));
        FWords.clear();
        FPostings.clear();
        FBytes = 0;
    }
    size_t FLimit;
    size_t FBytes = 0;
    std::vector<std::u16string> FWords;
    std::string FPostings;
    TShards FShards;
};

void AppendNumber(std::string& AOut, uint64_t AValue) {
    if (!AOut.empty() && AOut.back() != '[')
        AOut += ',';
    AOut += std::to_string(AValue);
}

uint64_t Fnv1a(uint64_t AHash, const std::string& AText) {
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

std::string PieceScript(const std::string& AId, const std::string& AName, const std::string& ABody) {
    return "window.__SV_INDEX_PIECE(\"" + AId + "\"," + AName + "," + ABody + ");";
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
    }
    ~TTextSpill() { std::fclose(FFile); }
    TTextSpill(const TTextSpill&) = delete;
    TTextSpill& operator=(const TTextSpill&) = delete;

    TTextAt Append(const std::string& AText) {
        const TTextAt at{FEnd, AText.size()};
        if (AText.empty())
            return at;
        if (!FAtEnd && std::fseek(FFile, 0, SEEK_END) != 0)
            Fail();
        FAtEnd = true;
        if (std::fwrite(AText.data(), 1, AText.size(), FFile) != AText.size())
            Fail();
        FEnd += AText.size();
        return at;
    }

    std::string Read(const TTextAt& AAt) {
        std::string text(AAt.Length, '\0');
        if (text.empty())
            return text;
        FAtEnd = false;
        if (std::fseek(FFile, static_cast<long>(AAt.Offset), SEEK_SET) != 0 ||
            std::fread(text.data(), 1, text.size(), FFile) != text.size())
            Fail();
        return text;
    }

private:
    [[noreturn]] void Fail() {
        throw EAppError(std::string("Cannot use the temporary file of the search index: ") + std::strerror(errno));
    }
    std::FILE* FFile;
    uint64_t FEnd = 0;
    bool FAtEnd = true;
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
    FAdded.resize(FTocCount, false);
}

namespace {

// Folds with a per-thread cache: prose repeats its words.
const std::u16string& CachedFold(const std::u16string& AWord) {
    thread_local std::unordered_map<std::u16string, std::u16string> cache;
    if (cache.size() > 200000)
        cache.clear();
    auto it = cache.find(AWord);
    if (it != cache.end())
        return it->second;
    std::u16string folded;
    if (IsAscii(AWord)) {
        folded = AWord;
        for (char16_t& c : folded)
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c + 32);
    } else {
        folded = FoldUtf16(AWord);
    }
    return cache.emplace(AWord, std::move(folded)).first->second;
}

}  // namespace

TSearchTopicWords AnalyseSearchTopic(const std::string& ATitle, const std::string& AKeywords, const std::string& AText) {
    // The words as written are counted first and each distinct one is folded once: prose
    // repeats its words, and folding merges only what it maps to the same word.
    const std::u16string fields[] = {Utf8ToUtf16(ATitle), Utf8ToUtf16(AKeywords), Utf8ToUtf16(AText)};
    std::unordered_map<std::u16string_view, std::pair<unsigned, unsigned>> written;  // fields, body count
    written.reserve(512);
    for (unsigned f = 0; f < 3; ++f) {
        const unsigned field = f == 0 ? kTitle : f == 1 ? kKeyword : kBody;
        ForEachWord(fields[f], [&](std::u16string_view AWord) {
            auto& hit = written[AWord];
            hit.first |= field;
            if (field == kBody)
                ++hit.second;
        });
    }
    std::unordered_map<std::u16string, std::pair<unsigned, unsigned>> hits;  // folded word -> fields, body count
    for (const auto& [word, hit] : written) {
        auto& folded = hits[CachedFold(std::u16string(word))];
        folded.first |= hit.first;
        folded.second += hit.second;
    }
    TSearchTopicWords out;
    out.Keywords = AKeywords;
    out.Words.reserve(hits.size());
    for (auto& entry : hits)
        out.Words.emplace_back(entry.first, entry.second);
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
        FAdded.push_back(false);
    }
    if (FAdded[no])
        return;
    FAdded[no] = true;
    FTextAt[no] = FTexts->Append(AText);
    FKeywords[no] = std::move(AWords.Keywords);
    for (auto& [word, hit] : AWords.Words)
        FPostings[word].push_back({no, hit.first, hit.second});
}

void TSearchIndexBuilder::Generate(const TFileSink& AOut) const {
    const size_t topicCount = FNumbers.size();
    // The vocabulary in order with the postings of every word, sorted by topic where they are.
    using TEntry = std::pair<const std::u16string, std::vector<TPosting>>;
    std::vector<TEntry*> entries;
    entries.reserve(FPostings.size());
    for (TEntry& entry : FPostings) {
        std::sort(entry.second.begin(), entry.second.end(),
                  [](const TPosting& A, const TPosting& B) { return A.Topic < B.Topic; });
        entries.push_back(&entry);
    }
    std::sort(entries.begin(), entries.end(), [](const TEntry* A, const TEntry* B) { return A->first < B->first; });

    TShardWriter words(FOptions.ShardBytes);
    for (const TEntry* entry : entries) {
        std::string list;
        unsigned previous = 0;
        for (const TPosting& p : entry->second) {
            AppendNumber(list, p.Topic - previous);
            AppendNumber(list, p.Fields | (static_cast<uint64_t>(p.Count) << 3));
            previous = p.Topic;
        }
        words.Add(entry->first, list);
    }
    const TShards wordShards = words.Finish();

    // Prefixes of one and two code units, never cutting a surrogate pair.
    std::vector<std::u16string> prefixes;
    for (const TEntry* entry : entries)
        for (size_t length : {size_t(1), size_t(2)})
            if (entry->first.size() >= length && !U16_IS_LEAD(entry->first[length - 1]))
                prefixes.push_back(entry->first.substr(0, length));
    std::sort(prefixes.begin(), prefixes.end());
    prefixes.erase(std::unique(prefixes.begin(), prefixes.end()), prefixes.end());

    struct TCombined {
        unsigned Fields = 0, Exact = 0, Count = 0;
    };
    std::vector<TCombined> scratch(topicCount);
    std::vector<unsigned> touched;
    TShardWriter prefixWriter(FOptions.ShardBytes);
    for (const std::u16string& prefix : prefixes) {
        touched.clear();
        for (size_t i = static_cast<size_t>(
                 std::lower_bound(entries.begin(), entries.end(), prefix,
                                  [](const TEntry* AEntry, const std::u16string& AKey) { return AEntry->first < AKey; }) -
                 entries.begin());
             i < entries.size() && StartsWith(entries[i]->first, prefix); ++i) {
            const bool exact = entries[i]->first == prefix;
            for (const TPosting& p : entries[i]->second) {
                TCombined& c = scratch[p.Topic];
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
            TCombined& c = scratch[topic];
            AppendNumber(list, topic - previous);
            AppendNumber(list, c.Fields | (c.Exact << 3) | (c.Count << 6));
            previous = topic;
            c = TCombined{};
        }
        prefixWriter.Add(prefix, list);
    }
    const TShards prefixShards = prefixWriter.Finish();

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
    AppendStringList(manifest, wordShards.Firsts);
    manifest += ",\"prefixes\":";
    AppendStringList(manifest, prefixShards.Firsts);
    manifest += ",\"group\":" + std::to_string(FOptions.TopicsPerTextPiece) + ",\"texts\":" +
                std::to_string(textPieces) + "}";

    const std::vector<const std::vector<std::string>*> shards = {&wordShards.Bodies, &prefixShards.Bodies};
    uint64_t hash = Fnv1a(14695981039346656037ull, manifest);
    for (const auto* list : shards)
        for (const std::string& body : *list)
            hash = Fnv1a(Fnv1a(hash, body), "\n");
    for (size_t piece = 0; piece < textPieces; ++piece)
        hash = Fnv1a(Fnv1a(hash, textPiece(piece)), "\n");
    const std::string id = Hex16(hash);

    AOut("search/index.js", PieceScript(id, "\"index\"", manifest));
    size_t n = 0;
    for (const auto* list : shards)
        for (const std::string& body : *list) {
            AOut("search/" + std::to_string(n) + ".js", PieceScript(id, std::to_string(n), body));
            ++n;
        }
    for (size_t piece = 0; piece < textPieces; ++piece, ++n)
        AOut("search/" + std::to_string(n) + ".js", PieceScript(id, std::to_string(n), textPiece(piece)));

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
    EnsureDir(CombinePath(AOutputRoot, "search"));
    Generate([&AOutputRoot](const std::string& AName, const std::string& AContent) {
        WriteUtf8File(CombinePath(AOutputRoot, AName), AContent);
    });
}
