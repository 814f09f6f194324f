// A small deterministic random generator (xorshift) for generated test and benchmark inputs:
// the same seed gives the same sequence with every standard library.
#pragma once

#include <cstddef>
#include <cstdint>

class TDeterministicRandom {
public:
    explicit TDeterministicRandom(uint64_t ASeed) : FState(ASeed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next() {
        FState ^= FState << 13;
        FState ^= FState >> 7;
        FState ^= FState << 17;
        return static_cast<uint32_t>(FState >> 11);
    }
    int Below(int N) { return static_cast<int>(Next() % static_cast<uint32_t>(N)); }
    bool Chance(int APercent) { return Below(100) < APercent; }
    template <typename T, size_t N>
    const T& Pick(const T (&AItems)[N]) {
        return AItems[Below(static_cast<int>(N))];
    }

private:
    uint64_t FState;
};
