// Bookkeeping for nested snippet expansion: the stack of snippets being expanded (to cut off a
// snippet met inside itself and to bound the nesting depth) and the results of earlier
// expansions that may be reused.
//
// A snippet's expansion depends on the stack only through the snippets it meets: a token for a
// snippet further up the stack is cut off, any other is expanded. So each kept result records the
// set of snippets its expansion met (Reached) and which of them were on the stack below it then
// (Key); it is reused wherever the stack holds exactly the same ones of Reached, which gives the
// same text as expanding again. Owned by one expander; not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TSnippetMemo {
public:
    // Forgets every kept result and sets the number of snippets.
    void Reset(size_t ASnippetCount);
    // Makes room for at least ASnippetCount snippets, keeping what is kept.
    void Grow(size_t ASnippetCount);
    // Starts a new topic: empties the stack, keeps the results.
    void BeginTopic();

    // The snippet being expanded now (or the topic) meets a token for snippet AIndex.
    void NoteReached(int AIndex);
    bool OnStack(int AIndex) const;
    // Number of snippets being expanded.
    int Depth() const { return static_cast<int>(FFrames.size()) - 1; }

    // A kept result for AIndex valid under the current stack and within the depth limit, or
    // nullptr. A hit counts as meeting everything the result met.
    const std::string* Find(int AIndex, int AMaxDepth);

    void Push(int AIndex);
    // Ends the expansion on top of the stack with its result; AKeep stores it for reuse.
    void Pop(const std::string& AResult, bool AKeep);
    // Ends the expansion on top of the stack without a result (it failed).
    void Abandon();

private:
    using TBits = std::vector<uint64_t>;
    struct TFrame {
        int Index = -1;
        TBits Reached;
        int Height = 0;  // levels of snippets expanded below this one
    };
    struct TEntry {
        TBits Reached;
        TBits Key;
        int Height = 0;
        std::string Result;
    };
    static constexpr size_t kMaxEntriesPerSnippet = 8;

    static void SetBit(TBits& ABits, size_t AIndex);
    static bool TestBit(const TBits& ABits, size_t AIndex);
    void MergeIntoTop(const TBits& AReached, int AHeight);

    size_t FWords = 0;
    std::vector<TFrame> FFrames{TFrame{}};
    TBits FStackBits;
    std::vector<std::vector<TEntry>> FEntries;
};
