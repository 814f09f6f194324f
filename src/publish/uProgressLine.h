// The one-line progress a terminal shows while a publication runs: "\r<label>: <done>/<total>
// topics", redrawn at most every AMinIntervalMs, the first and the last count always shown, and a
// line break after the last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TProgressLine {
public:
    explicit TProgressLine(std::string ALabel, int64_t AMinIntervalMs = 100);
    // The text to write for ADone of ATotal at ANowMs (any steady clock in milliseconds), or ""
    // when nothing needs redrawing yet.
    std::string Update(size_t ADone, size_t ATotal, int64_t ANowMs);

private:
    std::string FLabel;
    int64_t FMinIntervalMs;
    bool FShown = false;
    int64_t FLastMs = 0;
};
