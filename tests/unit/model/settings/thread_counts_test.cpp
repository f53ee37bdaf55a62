#include "model/settings/thread_counts.h"

#include <gtest/gtest.h>

namespace vc::test {
namespace {

TEST(ThreadCounts, SingleConversionKeepsTheConfiguredCountAndAutomatic) {
    EXPECT_EQ(ConversionThreadCount(0), 0); // the libraries choose, never a fixed 1
    EXPECT_EQ(ConversionThreadCount(6), 6);
    EXPECT_EQ(ConversionThreadCount(99), 32);
    EXPECT_EQ(ConversionThreadCount(-3), 0);
}

TEST(ThreadCounts, BatchSharesTheProcessorsAmongTheConversionsRunningAtOnce) {
    struct Case {
        int configured, processors, files, slot_count, expected;
    };
    for (const Case& c : {
             Case{0, 8, 3, 8, 2},   // three at once on eight cores
             Case{0, 8, 10, 8, 1},  // eight at once, one core each
             Case{0, 8, 2, 8, 4},   // two files keep every core busy
             Case{0, 2, 40, 2, 1},  // a long batch on two slots
             Case{0, 16, 40, 4, 4}, // a small slot pool limits how many share the cores
             Case{0, 8, 1, 8, 0},   // one conversion at a time: automatic
             Case{0, 8, 5, 1, 0},   // a pool of one slot runs one at a time
             Case{0, 1, 0, 2, 0},   // nothing listed yet
             Case{0, 2, 3, 4, 1},   // more slots than processors: at least one thread
             Case{4, 8, 10, 8, 4},  // a configured count wins
             Case{40, 8, 10, 8, 32},
         })
        EXPECT_EQ(BatchThreadCount(c.configured, c.processors, c.files, c.slot_count), c.expected)
            << c.configured << " " << c.processors << " " << c.files << " " << c.slot_count;
}

TEST(ThreadCounts, SlotsAtOnceUsesTheGivenPoolSizeElseTheDefault) {
    EXPECT_EQ(SlotsAtOnce(3), 3);
    EXPECT_GE(SlotsAtOnce(0), 2);
}

} // namespace
} // namespace vc::test
