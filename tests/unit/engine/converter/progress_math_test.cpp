#include "engine/converter/progress_math.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vc {
namespace {

constexpr int64_t kForever = std::numeric_limits<int64_t>::max();
constexpr int64_t kSecond = 1000000;

struct ProgressCase {
    const char* what;
    int64_t start_us;
    int64_t recording_us;
    double duration_s;
    double converted_s;
    int expected;
};

TEST(ProgressMath, ProgressFollowsTheShareOfThePlannedOutput) {
    const ProgressCase cases[] = {
        {"no duration known", 0, kForever, 0.0, 3.0, 0},
        {"whole input, halfway", 0, kForever, 10.0, 5.0, 50},
        {"start 10 s, length 20 s of 100 s: 5 s done", 10 * kSecond, 20 * kSecond, 100.0, 5.0, 25},
        {"start only: the rest of the input is planned", 10 * kSecond, kForever, 30.0, 10.0, 50},
        {"length shorter than the input", 0, 4 * kSecond, 10.0, 1.0, 25},
        {"half rounds to even (down)", 0, kForever, 200.0, 1.0, 0}, // 0.5 -> 0
        {"half rounds to even (up)", 0, kForever, 200.0, 3.0, 2},   // 1.5 -> 2
        {"not clamped above 100", 0, kForever, 10.0, 12.0, 120},
        {"nothing planned after the start", 20 * kSecond, kForever, 10.0, 1.0, 0},
        {"zero length", 0, 0, 10.0, 1.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputeProgress(c.start_us, c.recording_us, c.duration_s, c.converted_s), c.expected)
            << c.what;
}

TEST(ProgressMath, ElapsedAndRemaining) {
    EXPECT_EQ(ComputeElapsedSeconds(1000000, 8999999), 7); // whole seconds, truncated
    EXPECT_EQ(ComputeRemainingSeconds(0, 0), 362439);      // nothing done yet: unknown
    EXPECT_EQ(ComputeRemainingSeconds(50, -3), 362439);
    EXPECT_EQ(ComputeRemainingSeconds(30, 25), 90);
    EXPECT_EQ(ComputeRemainingSeconds(10, 30), 23); // integer division
    EXPECT_EQ(ComputeRemainingSeconds(10, 100), 0);
}

} // namespace
} // namespace vc
