#include "uProgressLine.h"

#include <utility>

TProgressLine::TProgressLine(std::string ALabel, int64_t AMinIntervalMs)
    : FLabel(std::move(ALabel)), FMinIntervalMs(AMinIntervalMs) {}

std::string TProgressLine::Update(size_t ADone, size_t ATotal, int64_t ANowMs) {
    const bool last = ADone >= ATotal;
    if (FShown && !last && ANowMs - FLastMs < FMinIntervalMs)
        return {};
    FShown = true;
    FLastMs = ANowMs;
    return "\r" + FLabel + ": " + std::to_string(ADone) + "/" + std::to_string(ATotal) + " topics" + (last ? "\n" : "");
}
