// Clock readings that are not numbers.
#include "core/Clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ClockTest, ReadingsThatAreNoNumberWrapToZero) {
    EXPECT_EQ(Clock::wrap(std::nan("")), 0);
    EXPECT_EQ(Clock::wrap(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(Clock::wrap(-std::numeric_limits<double>::infinity()), 0);
}

} // namespace
