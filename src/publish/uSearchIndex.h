// The prebuilt WebHelp search index: the viewer loads it in pieces, from file:// as well, by
// adding script elements.
//
// Words are maximal runs of letters and digits (\p{L}, \p{N}) of the unfolded text, each folded
// by FoldSearchWord. Topics are numbered in the viewer's order: the contents depth-first, then
// the topics the contents leave out, in the order they were added. Files under "search/":
//   index.js   the manifest: publish id, first word of every word shard, first prefix of every
//              prefix shard, the number of topics per text piece;
//   <n>.js     the pieces, numbered: word shards first, then prefix shards, then text pieces.
// Every file is one call window.__SV_INDEX_PIECE(publish id, name, data), name "index" or the
// number. A word shard holds a run of the vocabulary (UTF-16 code-unit order) and per word its
// postings: topic number (as the gap from the previous one) and fields | body count << 3. A
// prefix shard holds, for prefixes of one to four UTF-16 code units (the manifest's
// "prefixLength"), each topic's combined hit
// over every word beginning with it: fields ORed, the fields of the word equal to the prefix,
// and the body count summed and capped at 20, packed as fields | exact << 3 | count << 6. A text
// piece holds the plain text ("t") and, unless all are empty, the keywords ("k") of a few
// consecutive topics: for the excerpts, and for checking the last terms of a query against the
// few topics still left.
// The publish id is a hash of all of that content, so the same project gives the same bytes.
// start.js sets window.__SV_START: the topics outside the contents ("searchOnly", id, title,
// file), the script list "load" (AddStartScript), the scripts the viewer loads before it shows
// the first topic, and "later", the scripts the viewer loads when it needs them, by name
// (AddLater).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Lower case in the root locale, NFD, combining marks U+0300-U+036F removed; UTF-8 in and out.
std::string FoldSearchWord(const std::string& AWord);
// The words of a text as they occur (unfolded), UTF-8.
std::vector<std::string> SearchWords(const std::string& AText);

struct TSearchIndexOptions {
    size_t ShardBytes = 48 * 1024;  // a shard is closed once it holds this much
    size_t TopicsPerTextPiece = 4;
    unsigned Threads = 0;           // workers that make the pieces; 0: one per core. Same bytes for any
};

// The folded words of one topic with their fields (1 title, 2 keyword, 4 body) and body counts,
// and a hash of its text and keywords. Made apart from the builder, so page workers can make
// them in parallel; the words lie one after another in Chars, each with its hash, so that the
// builder neither allocates nor hashes for a word it already knows.
struct TSearchTopicWords {
    struct TWord {
        uint32_t At = 0, Length = 0;  // in Chars
        size_t Hash = 0;              // std::hash of the word as a u16string_view
        unsigned Fields = 0, Count = 0;
    };
    std::u16string Chars;
    std::vector<TWord> Words;  // in no particular order
    std::string Keywords;      // as given, for the text pieces
    uint64_t TextHash = 0;     // of the text and the keywords, for the publish id
    std::u16string_view Word(const TWord& AWord) const {
        return std::u16string_view(Chars).substr(AWord.At, AWord.Length);
    }
};
TSearchTopicWords AnalyseSearchTopic(const std::string& ATitle, const std::string& AKeywords, const std::string& AText);

class TSearchIndexBuilder {
public:
    // ATocOrder: the ids of the contents, depth-first, each once.
    explicit TSearchIndexBuilder(const std::vector<std::string>& ATocOrder, TSearchIndexOptions AOptions = {});
    ~TSearchIndexBuilder();
    TSearchIndexBuilder(const TSearchIndexBuilder&) = delete;
    TSearchIndexBuilder& operator=(const TSearchIndexBuilder&) = delete;

    // One topic of the search index (in search.json order). Topics absent from the contents are
    // numbered after them, in the order they are added; an id added twice keeps its first entry.
    void Add(const std::string& AID, const std::string& ATitle, const std::string& AFile, const std::string& AText,
             const std::string& AKeywords);
    // The same with the words already made by AnalyseSearchTopic.
    void Add(const std::string& AID, const std::string& ATitle, const std::string& AFile, const std::string& AText,
             TSearchTopicWords AWords);

    // Names AFile (relative to the output root) in "later" of start.js under AName; members in
    // the order they are added.
    void AddLater(const std::string& AName, const std::string& AFile);
    // A script (relative to the output root) that start.js lists in "load", for the viewer to
    // load before it shows the first topic.
    void AddStartScript(const std::string& AName) { FLoad.push_back(AName); }

    // Writes search/index.js, the pieces and start.js into AOutputRoot (an output folder being
    // staged) with WriteOutputFile, one file at a time, and removes any other file in search/.
    void Write(const std::string& AOutputRoot) const;

    // The files Write would write (name relative to the output root, then content), in order.
    std::vector<std::pair<std::string, std::string>> Files() const;

private:
    struct TPosting {
        unsigned Topic;
        unsigned Fields;
        unsigned Count;
    };
    struct TOutside {
        std::string ID, Title, File;
    };
    // The vocabulary is looked up with the hash a page worker made (TWordKey); the table keeps
    // the hash of every word it holds.
    struct TWordKey {
        std::u16string_view Text;
        size_t Hash;
    };
    struct TWordHash {
        using is_transparent = void;
        // Not noexcept, so that the table stores each word's hash instead of hashing again.
        size_t operator()(const std::u16string& AWord) const { return std::hash<std::u16string_view>()(AWord); }
        size_t operator()(const TWordKey& AKey) const { return AKey.Hash; }
    };
    struct TWordEqual {
        using is_transparent = void;
        bool operator()(const std::u16string& A, const std::u16string& B) const { return A == B; }
        bool operator()(const TWordKey& A, const std::u16string& B) const { return A.Text == B; }
        bool operator()(const std::u16string& A, const TWordKey& B) const { return A == B.Text; }
    };
    // The plain texts are the bulk of the index and are read again only for the text pieces, so
    // they wait in an unnamed temporary file; by topic number, where each one is in it.
    class TTextSpill;
    struct TTextAt {
        uint64_t Offset = 0;
        uint64_t Length = 0;
    };
    using TFileSink = std::function<void(const std::string& AName, const std::string& AContent)>;
    // Makes the files in order and hands each to AOut as soon as it is made; the shards and the
    // text pieces are made on workers. The publish id covers the text pieces through the hash of
    // every topic's text and keywords, so the pieces are made once and never held.
    void Generate(const TFileSink& AOut) const;
    std::string Text(unsigned ANumber) const;

    TSearchIndexOptions FOptions;
    std::unordered_map<std::string, unsigned> FNumbers;  // id -> topic number
    unsigned FTocCount = 0;
    std::vector<TOutside> FOutside;
    std::vector<std::pair<std::string, std::string>> FLater;  // name, file
    std::vector<std::string> FLoad;         // the scripts start.js lists in "load"
    std::unique_ptr<TTextSpill> FTexts;
    std::vector<TTextAt> FTextAt;           // by topic number
    std::vector<std::string> FKeywords;     // by topic number
    std::vector<uint64_t> FTextHash;        // by topic number
    std::vector<bool> FAdded;               // by topic number
    // Sorted by topic in place when the files are made.
    mutable std::unordered_map<std::u16string, std::vector<TPosting>, TWordHash, TWordEqual> FPostings;
};
