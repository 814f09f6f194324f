#include "uJson.h"
#include "uSearchIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

namespace {

struct TPiece {
    std::string Id;
    std::string Name;
    TJson Data;
};

// A piece script: window.__SV_INDEX_PIECE("<id>",<name>,<json>);
TPiece ParsePiece(const std::string& AScript) {
    const std::string head = "window.__SV_INDEX_PIECE(\"";
    EXPECT_EQ(AScript.rfind(head, 0), 0u) << AScript;
    EXPECT_EQ(AScript.substr(AScript.size() - 2), ");");
    TPiece piece;
    const size_t idEnd = AScript.find('"', head.size());
    piece.Id = AScript.substr(head.size(), idEnd - head.size());
    const size_t nameEnd = AScript.find(',', idEnd + 2);
    piece.Name = AScript.substr(idEnd + 2, nameEnd - idEnd - 2);
    EXPECT_TRUE(JsonTryParse(AScript.substr(nameEnd + 1, AScript.size() - nameEnd - 3), piece.Data));
    return piece;
}

std::map<std::string, std::string> FilesOf(const TSearchIndexBuilder& ABuilder) {
    std::map<std::string, std::string> out;
    for (auto& [name, content] : ABuilder.Files())
        out[name] = content;
    return out;
}

// Every word of the word shards with its postings, decoded: word -> [(topic, fields, count)].
struct TDecoded {
    std::vector<std::string> Words;  // in shard order
    std::map<std::string, std::vector<std::array<unsigned, 3>>> Postings;
    std::map<std::string, std::vector<std::array<unsigned, 4>>> Prefixes;  // topic, fields, exact, count
    size_t WordShards = 0;
    std::string Id;
};

TDecoded Decode(const std::map<std::string, std::string>& AFiles) {
    TDecoded d;
    const TPiece index = ParsePiece(AFiles.at("search/index.js"));
    d.Id = index.Id;
    d.WordShards = index.Data["words"].size();
    const size_t prefixShards = index.Data["prefixes"].size();
    for (size_t n = 0; n < d.WordShards + prefixShards; ++n) {
        const TPiece piece = ParsePiece(AFiles.at("search/" + std::to_string(n) + ".js"));
        EXPECT_EQ(piece.Id, d.Id);
        EXPECT_EQ(piece.Name, std::to_string(n));
        const bool words = n < d.WordShards;
        EXPECT_EQ(piece.Data["w"][0], (words ? index.Data["words"][n] : index.Data["prefixes"][n - d.WordShards]));
        for (size_t i = 0; i < piece.Data["w"].size(); ++i) {
            const std::string w = piece.Data["w"][i].get<std::string>();
            const TJson& p = piece.Data["p"][i];
            unsigned topic = 0;
            for (size_t k = 0; k < p.size(); k += 2) {
                topic += p[k].get<unsigned>();
                const unsigned v = p[k + 1].get<unsigned>();
                if (words)
                    d.Postings[w].push_back({topic, v & 7, v >> 3});
                else
                    d.Prefixes[w].push_back({topic, v & 7, (v >> 3) & 7, v >> 6});
            }
            if (words)
                d.Words.push_back(w);
        }
    }
    return d;
}

}  // namespace

TEST(SearchIndex, foldingAndWords) {
    const std::pair<const char*, const char*> folds[] = {
        {"\xC3\x89lan", "elan"},                                        // Élan
        {"\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0", "\xD0\xB5\xD0\xBB\xD0\xBA\xD0\xB0"},  // Ёлка -> елка
        {"\xC4\xB0stanbul", "istanbul"},                                // İ: i + dot above, the dot dropped
        {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82"},  // ΟΔΟΣ -> οδος, final sigma
        {"STRA\xC3\x9F" "E", "stra\xC3\x9F" "e"},                       // ß stays
        {"\xEF\xAC\x81", "\xEF\xAC\x81"},                               // the ligature ﬁ is not decomposed
        {"n\xCC\x83" "o", "no"},                                        // combining tilde removed
    };
    for (const auto& [in, out] : folds)
        EXPECT_EQ(FoldSearchWord(in), out) << in;
    EXPECT_EQ(SearchWords("Caf\xC3\xA9-au-lait, 42x \xD1\x91\xD0\xB6!? n\xCC\x83o"),
              (std::vector<std::string>{"Caf\xC3\xA9", "au", "lait", "42x", "\xD1\x91\xD0\xB6", "n", "o"}));
    EXPECT_TRUE(SearchWords("?! -- ...").empty());
}

TEST(SearchIndex, postingsPrefixesAndNumbering) {
    // Contents: B then A; C is outside the contents and numbered after them.
    TSearchIndexBuilder b({"B", "A"}, {/*ShardBytes=*/30, /*TopicsPerTextPiece=*/2});
    b.Add("A", "Install", "topics/A.html", "installer install in", "setup");
    b.Add("C", "Other", "topics/C.html", "in in in", "");
    b.Add("B", "Caf\xC3\xA9", "topics/B.html", "", "");
    const auto files = FilesOf(b);
    const TDecoded d = Decode(files);
    EXPECT_GT(d.WordShards, 2u);

    // A=1, C=2, B=0.
    using P = std::array<unsigned, 3>;
    EXPECT_EQ(d.Postings.at("install"), (std::vector<P>{{1, 1 | 4, 1}}));
    EXPECT_EQ(d.Postings.at("in"), (std::vector<P>{{1, 4, 1}, {2, 4, 3}}));
    EXPECT_EQ(d.Postings.at("cafe"), (std::vector<P>{{0, 1, 0}}));
    EXPECT_EQ(d.Postings.at("setup"), (std::vector<P>{{1, 2, 0}}));
    EXPECT_TRUE(std::is_sorted(d.Words.begin(), d.Words.end()));

    // "in": A holds install (title, body), installer and in (body): exact only for the body.
    using Q = std::array<unsigned, 4>;
    EXPECT_EQ(d.Prefixes.at("in"), (std::vector<Q>{{1, 1 | 4, 4, 3}, {2, 4, 4, 3}}));
    EXPECT_EQ(d.Prefixes.at("i"), (std::vector<Q>{{1, 1 | 4, 0, 3}, {2, 4, 0, 3}}));
    // "inst": install and installer, in A only; no prefix of five.
    EXPECT_EQ(d.Prefixes.at("inst"), (std::vector<Q>{{1, 1 | 4, 0, 2}}));
    EXPECT_EQ(d.Prefixes.at("ins"), d.Prefixes.at("inst"));
    EXPECT_EQ(d.Prefixes.count("insta"), 0u);
    EXPECT_EQ(ParsePiece(files.at("search/index.js")).Data["prefixLength"], 4);

    // Text pieces after the shards, two topics each, in topic order.
    const size_t prefixShards = ParsePiece(files.at("search/index.js")).Data["prefixes"].size();
    const TPiece texts = ParsePiece(files.at("search/" + std::to_string(d.WordShards + prefixShards) + ".js"));
    EXPECT_EQ(texts.Data["t"], TJson::parse(R"(["","installer install in"])"));

    EXPECT_EQ(files.at("start.js"), "window.__SV_START = {\"searchOnly\":[{\"id\":\"C\",\"title\":\"Other\",\"file\":"
                                    "\"topics\\/C.html\"}],\"load\":[],\"later\":{}};");
}

TEST(SearchIndex, bodyCountOfPrefixIsCappedAndVocabularyInUtf16Order) {
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += "ab ";
    TSearchIndexBuilder b(std::vector<std::string>{});
    // U+FF5A (fullwidth z) sorts after U+10428 (a Deseret letter) in UTF-16, before it by code point.
    b.Add("T", "x", "topics/T.html", many + "abc \xEF\xBD\x9A \xF0\x90\x90\xA8", "");
    const TDecoded d = Decode(FilesOf(b));
    using Q = std::array<unsigned, 4>;
    EXPECT_EQ(d.Prefixes.at("a"), (std::vector<Q>{{0, 4, 0, 20}}));
    EXPECT_EQ(d.Prefixes.at("ab"), (std::vector<Q>{{0, 4, 4, 20}}));
    EXPECT_EQ(d.Postings.at("ab")[0][2], 30u);
    EXPECT_EQ(d.Words, (std::vector<std::string>{"ab", "abc", "x", "\xF0\x90\x90\xA8", "\xEF\xBD\x9A"}));
    // The astral letter is one two-unit prefix, never cut in half.
    EXPECT_EQ(d.Prefixes.count("\xF0\x90\x90\xA8"), 1u);
}

TEST(SearchIndex, sameContentSameBytesOtherContentOtherId) {
    auto build = [](const std::string& AText, const std::string& AKeywords = "k", unsigned AThreads = 1) {
        TSearchIndexBuilder b({"A"}, {64, 1, AThreads});
        b.Add("B", "Beta", "topics/B.html", "one two three", "");
        b.Add("A", "Alpha", "topics/A.html", AText, AKeywords);
        return FilesOf(b);
    };
    const auto first = build("lorem ipsum");
    EXPECT_EQ(first, build("lorem ipsum"));
    EXPECT_EQ(first, build("lorem ipsum", "k", 4));
    // Another word, and also a change that only the text pieces show (same words, other
    // punctuation) or only the keywords' spelling: a viewer must never mix pieces of both.
    for (const auto& [text, keywords] : std::vector<std::pair<std::string, std::string>>{
             {"lorem ipsun", "k"}, {"lorem, ipsum", "k"}, {"lorem ipsum", "K"}})
        EXPECT_NE(Decode(first).Id, Decode(build(text, keywords)).Id) << text << " / " << keywords;
    for (const auto& [name, content] : first)
        EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) { return c > 0x20 && c < 0x7F; })) << name;
}

TEST(SearchIndex, textPiecesCarryTheKeywords) {
    TSearchIndexBuilder b({"A", "B", "C"}, {64, 2});
    b.Add("A", "Alpha", "topics/A.html", "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 \"q\" a\\b\n", "setup api");
    b.Add("B", "Beta", "topics/B.html", "plain", "");
    b.Add("C", "Gamma", "topics/C.html", "none", "");
    const auto files = FilesOf(b);
    const TDecoded d = Decode(files);
    const size_t prefixShards = ParsePiece(files.at("search/index.js")).Data["prefixes"].size();
    const size_t firstText = d.WordShards + prefixShards;
    const TPiece texts = ParsePiece(files.at("search/" + std::to_string(firstText) + ".js"));
    EXPECT_EQ(texts.Data["t"][0].get<std::string>(), "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 \"q\" a\\b\n");
    EXPECT_EQ(texts.Data["k"], TJson::parse(R"(["setup api",""])"));
    // A piece whose topics have no keywords leaves them out.
    EXPECT_FALSE(ParsePiece(files.at("search/" + std::to_string(firstText + 1) + ".js")).Data.contains("k"));
}
