#include "uProgressLine.h"

#include <gtest/gtest.h>

TEST(ProgressLine, redrawsAtMostEveryIntervalAndAlwaysTheFirstAndLastCount) {
    TProgressLine line("Publishing", 100);
    const struct {
        size_t Done;
        int64_t NowMs;
        const char* Expected;
    } steps[] = {
        {1, 1000, "\rPublishing: 1/5 topics"},  // the first
        {2, 1050, ""},                          // too soon
        {3, 1100, "\rPublishing: 3/5 topics"},
        {4, 1101, ""},
        {5, 1102, "\rPublishing: 5/5 topics\n"},  // the last, however soon
    };
    for (const auto& s : steps)
        EXPECT_EQ(line.Update(s.Done, 5, s.NowMs), s.Expected) << s.Done;
    EXPECT_EQ(TProgressLine("Empty").Update(0, 0, 0), "\rEmpty: 0/0 topics\n");
}
