#include "uSearchIndex.h"

#include "uJson.h"
#include "uUnicodeText.h"
#include "uUtils.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

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

// Calls AOnWord(word) for every maximal run of letters and digits, as UTF-16.
template <typename F>
void ForEachWord(const std::u16string& AText, F&& AOnWord) {
    const auto* s = reinterpret_cast<const UChar*>(AText.data());
    const int32_t length = static_cast<int32_t>(AText.size());
    int32_t i = 0, start = -1;
    while (i < length) {
        const int32_t at = i;
        UChar32 c;
        U16_NEXT(s, i, length, c);
        const bool inWord = (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
        if (inWord && start < 0)
            start = at;
        else if (!inWord && start >= 0) {
            AOnWord(AText.substr(static_cast<size_t>(start), static_cast<size_t>(at - start)));
            start = -1;
        }
    }
    if (start >= 0)
        AOnWord(AText.substr(static_cast<size_t>(start)));
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
    ForEachWord(Utf8ToUtf16(AText), [&](const std::u16string& AWord) { out.push_back(Utf16ToUtf8(AWord)); });
    return out;
}

TSearchIndexBuilder::TSearchIndexBuilder(const std::vector<std::string>& ATocOrder, TSearchIndexOptions AOptions)
    : FOptions(AOptions) {
    if (FOptions.ShardBytes == 0)
        FOptions.ShardBytes = 1;
    if (FOptions.TopicsPerTextPiece == 0)
        FOptions.TopicsPerTextPiece = 1;
    for (const std::string& id : ATocOrder)
        FNumbers.emplace(id, static_cast<unsigned>(FNumbers.size()));
    FTocCount = static_cast<unsigned>(FNumbers.size());
    FTexts.resize(FTocCount);
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
    std::unordered_map<std::u16string, std::pair<unsigned, unsigned>> hits;  // word -> fields, body count
    auto addField = [&](const std::string& AFieldText, unsigned AField) {
        ForEachWord(Utf8ToUtf16(AFieldText), [&](const std::u16string& AWord) {
            auto& hit = hits[CachedFold(AWord)];
            hit.first |= AField;
            if (AField == kBody)
                ++hit.second;
        });
    };
    addField(ATitle, kTitle);
    addField(AKeywords, kKeyword);
    addField(AText, kBody);
    TSearchTopicWords out;
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
        FTexts.emplace_back();
        FAdded.push_back(false);
    }
    if (FAdded[no])
        return;
    FAdded[no] = true;
    FTexts[no] = AText;
    for (auto& [word, hit] : AWords.Words)
        FPostings[word].push_back({no, hit.first, hit.second});
}

std::vector<std::pair<std::string, std::string>> TSearchIndexBuilder::Files() const {
    const size_t topicCount = FNumbers.size();
    std::vector<std::u16string> vocab;
    vocab.reserve(FPostings.size());
    for (const auto& entry : FPostings)
        vocab.push_back(entry.first);
    std::sort(vocab.begin(), vocab.end());

    // Sorted postings of every word, in vocabulary order.
    std::vector<std::vector<TPosting>> postings(vocab.size());
    for (size_t i = 0; i < vocab.size(); ++i) {
        postings[i] = FPostings.at(vocab[i]);
        std::sort(postings[i].begin(), postings[i].end(),
                  [](const TPosting& A, const TPosting& B) { return A.Topic < B.Topic; });
    }

    TShardWriter words(FOptions.ShardBytes);
    for (size_t i = 0; i < vocab.size(); ++i) {
        std::string list;
        unsigned previous = 0;
        for (const TPosting& p : postings[i]) {
            AppendNumber(list, p.Topic - previous);
            AppendNumber(list, p.Fields | (static_cast<uint64_t>(p.Count) << 3));
            previous = p.Topic;
        }
        words.Add(vocab[i], list);
    }
    const TShards wordShards = words.Finish();

    // Prefixes of one and two code units, never cutting a surrogate pair.
    std::vector<std::u16string> prefixes;
    for (const std::u16string& w : vocab)
        for (size_t length : {size_t(1), size_t(2)})
            if (w.size() >= length && !U16_IS_LEAD(w[length - 1]))
                prefixes.push_back(w.substr(0, length));
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
        for (size_t i = static_cast<size_t>(std::lower_bound(vocab.begin(), vocab.end(), prefix) - vocab.begin());
             i < vocab.size() && StartsWith(vocab[i], prefix); ++i) {
            const bool exact = vocab[i] == prefix;
            for (const TPosting& p : postings[i]) {
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

    std::vector<std::string> texts;
    for (size_t first = 0; first < topicCount; first += FOptions.TopicsPerTextPiece) {
        std::string body = "{\"t\":[";
        for (size_t no = first; no < std::min(topicCount, first + FOptions.TopicsPerTextPiece); ++no) {
            if (no > first)
                body += ',';
            AppendString(body, FTexts[no]);
        }
        texts.push_back(body + "]}");
    }

    std::string manifest = "{\"topics\":" + std::to_string(topicCount) + ",\"words\":";
    AppendStringList(manifest, wordShards.Firsts);
    manifest += ",\"prefixes\":";
    AppendStringList(manifest, prefixShards.Firsts);
    manifest += ",\"group\":" + std::to_string(FOptions.TopicsPerTextPiece) + ",\"texts\":" +
                std::to_string(texts.size()) + "}";

    const std::vector<const std::vector<std::string>*> pieces = {&wordShards.Bodies, &prefixShards.Bodies, &texts};
    uint64_t hash = Fnv1a(14695981039346656037ull, manifest);
    for (const auto* list : pieces)
        for (const std::string& body : *list)
            hash = Fnv1a(Fnv1a(hash, body), "\n");
    const std::string id = Hex16(hash);

    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back("search/index.js", PieceScript(id, "\"index\"", manifest));
    size_t n = 0;
    for (const auto* list : pieces)
        for (const std::string& body : *list) {
            files.emplace_back("search/" + std::to_string(n) + ".js", PieceScript(id, std::to_string(n), body));
            ++n;
        }

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
    start += "],\"load\":[],\"later\":{";
    for (size_t i = 0; i < FLater.size(); ++i) {
        if (i)
            start += ',';
        AppendString(start, FLater[i].first);
        start += ':';
        AppendString(start, FLater[i].second);
    }
    start += "}};";
    files.emplace_back("start.js", std::move(start));
    return files;
}

void TSearchIndexBuilder::AddLater(const std::string& AName, const std::string& AFile) {
    FLater.emplace_back(AName, AFile);
}

void TSearchIndexBuilder::Write(const std::string& AOutputRoot) const {
    EnsureDir(CombinePath(AOutputRoot, "search"));
    for (const auto& [name, content] : Files())
        WriteUtf8File(CombinePath(AOutputRoot, name), content);
}
