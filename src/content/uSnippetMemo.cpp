#include "uSnippetMemo.h"

#include <algorithm>

void TSnippetMemo::SetBit(TBits& ABits, size_t AIndex) {
    if (ABits.size() <= AIndex / 64)
        ABits.resize(AIndex / 64 + 1, 0);
    ABits[AIndex / 64] |= uint64_t{1} << (AIndex % 64);
}

bool TSnippetMemo::TestBit(const TBits& ABits, size_t AIndex) {
    return AIndex / 64 < ABits.size() && (ABits[AIndex / 64] >> (AIndex % 64) & 1u) != 0;
}

void TSnippetMemo::Reset(size_t ASnippetCount) {
    FEntries.clear();
    FWords = 0;
    Grow(ASnippetCount);
    BeginTopic();
}

void TSnippetMemo::Grow(size_t ASnippetCount) {
    FWords = std::max(FWords, (ASnippetCount + 63) / 64);
    if (FEntries.size() < ASnippetCount)
        FEntries.resize(ASnippetCount);
}

void TSnippetMemo::BeginTopic() {
    FFrames.assign(1, TFrame{});
    FStackBits.assign(FWords, 0);
}

void TSnippetMemo::NoteReached(int AIndex) { SetBit(FFrames.back().Reached, static_cast<size_t>(AIndex)); }

bool TSnippetMemo::OnStack(int AIndex) const { return TestBit(FStackBits, static_cast<size_t>(AIndex)); }

const std::string* TSnippetMemo::Find(int AIndex, int AMaxDepth) {
    if (AIndex < 0 || static_cast<size_t>(AIndex) >= FEntries.size())
        return nullptr;
    for (const TEntry& e : FEntries[static_cast<size_t>(AIndex)]) {
        if (Depth() + e.Height >= AMaxDepth)
            continue;  // expanding afresh reaches the depth limit and reports it
        bool same = true;
        for (size_t w = 0; w < e.Reached.size() && same; ++w) {
            uint64_t onStack = w < FStackBits.size() ? FStackBits[w] : 0;
            uint64_t key = w < e.Key.size() ? e.Key[w] : 0;
            same = (e.Reached[w] & onStack) == key;
        }
        if (same) {
            MergeIntoTop(e.Reached, e.Height + 1);
            return &e.Result;
        }
    }
    return nullptr;
}

void TSnippetMemo::Push(int AIndex) {
    TFrame frame;
    frame.Index = AIndex;
    FFrames.push_back(std::move(frame));
    SetBit(FStackBits, static_cast<size_t>(AIndex));
}

void TSnippetMemo::MergeIntoTop(const TBits& AReached, int AHeight) {
    TFrame& top = FFrames.back();
    if (top.Reached.size() < AReached.size())
        top.Reached.resize(AReached.size(), 0);
    for (size_t w = 0; w < AReached.size(); ++w)
        top.Reached[w] |= AReached[w];
    top.Height = std::max(top.Height, AHeight);
}

void TSnippetMemo::Pop(const std::string& AResult, bool AKeep) {
    TFrame frame = std::move(FFrames.back());
    FFrames.pop_back();
    const size_t index = static_cast<size_t>(frame.Index);
    FStackBits[index / 64] &= ~(uint64_t{1} << (index % 64));
    if (AKeep && index < FEntries.size() && FEntries[index].size() < kMaxEntriesPerSnippet) {
        TEntry e;
        e.Reached = frame.Reached;
        e.Key.resize(e.Reached.size(), 0);
        for (size_t w = 0; w < e.Reached.size(); ++w)
            e.Key[w] = e.Reached[w] & (w < FStackBits.size() ? FStackBits[w] : 0);
        e.Height = frame.Height;
        e.Result = AResult;
        FEntries[index].push_back(std::move(e));
    }
    MergeIntoTop(frame.Reached, frame.Height + 1);
}

void TSnippetMemo::Abandon() {
    const size_t index = static_cast<size_t>(FFrames.back().Index);
    FFrames.pop_back();
    FStackBits[index / 64] &= ~(uint64_t{1} << (index % 64));
}
