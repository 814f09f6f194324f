#include "common/TestHelpers.h"

#include "uPublishPipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Uneven work so that later items often finish before earlier ones.
std::string SlowlyProduce(size_t AIndex) {
    std::this_thread::sleep_for(std::chrono::microseconds((AIndex * 37) % 5 * 200));
    return std::to_string(AIndex);
}

}  // namespace

TEST(PagePipeline, resultsArriveInOrderWhateverTheThreadCount) {
    for (unsigned threads : {1u, 2u, 7u}) {
        TPublishOptions options;
        options.Threads = threads;
        std::vector<size_t> progress;
        options.Progress = [&](size_t ADone, size_t ATotal) {
            EXPECT_EQ(ATotal, 60u);
            progress.push_back(ADone);
        };
        std::atomic<size_t> maxWorker = 0;
        std::string joined;
        RunPagePipeline(
            60, options,
            [&](size_t AIndex, size_t AWorker) {
                size_t seen = maxWorker.load();
                while (AWorker > seen && !maxWorker.compare_exchange_weak(seen, AWorker)) {
                }
                return SlowlyProduce(AIndex);
            },
            [&](size_t AIndex, std::string&& AResult) {
                EXPECT_EQ(AResult, std::to_string(AIndex));
                joined += AResult + ",";
            });
        std::string expected;
        for (size_t i = 0; i < 60; ++i)
            expected += std::to_string(i) + ",";
        EXPECT_EQ(joined, expected) << threads;
        EXPECT_EQ(progress.size(), 60u);
        EXPECT_EQ(progress.back(), 60u);
        EXPECT_LT(maxWorker.load(), threads);
    }
}

// The failure raised is the first in item order, as a single thread would meet it, and nothing
// after it is consumed.
TEST(PagePipeline, firstFailureInOrderIsRaisedAndStopsTheRest) {
    for (unsigned threads : {1u, 4u}) {
        TPublishOptions options;
        options.Threads = threads;
        size_t consumed = 0;
        try {
            RunPagePipeline(
                200, options,
                [](size_t AIndex, size_t) -> std::string {
                    if (AIndex == 30 || AIndex == 10)
                        throw EAppError("fails at " + std::to_string(AIndex));
                    return SlowlyProduce(AIndex);
                },
                [&](size_t, std::string&&) { ++consumed; });
            ADD_FAILURE() << "no failure raised";
        } catch (const EAppError& e) {
            EXPECT_STREQ(e.what(), "fails at 10");
        }
        EXPECT_EQ(consumed, 10u) << threads;
    }
}
