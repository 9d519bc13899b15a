// Conversions that must stay defined at any value: float positions to whole
// pixels, and clock arithmetic across the 32-bit wrap.
#include "core/Numbers.h"
#include "core/Clock.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

TEST(NumbersTest, PositionsTruncateTowardZeroAndSaturate) {
    EXPECT_EQ(truncateToInt(-1.5f), -1);
    EXPECT_EQ(truncateToInt(-0.5f), 0);
    EXPECT_EQ(truncateToInt(2.9f), 2);
    EXPECT_EQ(truncateToInt(2147483520.0f), 2147483520); // the largest float below 2^31
    EXPECT_EQ(truncateToInt(2147483648.0f), INT_MAX);
    EXPECT_EQ(truncateToInt(4294967295.0f * 0.6f), INT_MAX);
    EXPECT_EQ(truncateToInt(-2147483648.0f), INT_MIN);
    EXPECT_EQ(truncateToInt(-1e30f), INT_MIN);
    EXPECT_EQ(truncateToInt(std::nanf("")), 0);
}

TEST(NumbersTest, ClockArithmeticWrapsLikeTheCount) {
    EXPECT_EQ(Clock::difference(INT32_MIN + 5, INT32_MAX - 4), 10);
    EXPECT_EQ(Clock::difference(3, 14), -11);
    EXPECT_EQ(Clock::add(INT32_MAX, 100), INT32_MIN + 99);
    EXPECT_EQ(Clock::wrap(2147483648.0 + 999.0), INT32_MIN + 999);
    EXPECT_EQ(Clock::wrap(16778216.9), 16778216);
    EXPECT_EQ(Clock::wrap(-1.5), -1);
    // A deadline just before the wrap has passed once the count wraps.
    Clock::setManual(INT32_MAX);
    EXPECT_FALSE(Clock::passed(INT32_MAX));
    Clock::advance(2);
    EXPECT_EQ(Clock::now(), INT32_MIN + 1);
    EXPECT_TRUE(Clock::passed(INT32_MAX));
    EXPECT_FALSE(Clock::passed(INT32_MIN + 1));
    Clock::useWallClock();
}

} // namespace
