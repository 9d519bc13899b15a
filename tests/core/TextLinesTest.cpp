// Lines split the way every text file of the game is read.
#include "core/TextLines.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace {

TEST(TextLinesTest, LineEnds) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("\n"), Lines{""});
    EXPECT_EQ(splitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    // A lone CR is a byte of its line; an unended last line keeps its CR.
    EXPECT_EQ(splitLines("a\rb\r\r\nc\r"), (Lines{"a\rb\r", "c\r"}));
}

} // namespace
