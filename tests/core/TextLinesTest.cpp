// Lines split the way every text file of the game is read.
#include "core/TextLines.h"

#include <gtest/gtest.h>

#include <string>
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

// Marks editors put in front of text: a UTF-8 one is skipped, UTF-16 of
// either byte order becomes the UTF-8 it stands for; nothing else changes.
TEST(TextLinesTest, TextAsEditorsSaveIt) {
    const auto text = [](std::string_view bytes) {
        std::string converted;
        return std::string(textOf(bytes, converted));
    };
    using namespace std::string_literals;
    EXPECT_EQ(text("\xEF\xBB\xBF"
                   "a=1\r\n"),
              "a=1\r\n");
    EXPECT_EQ(text("\xEF\xBB\xBF\xEF\xBB\xBF"), "\xEF\xBB\xBF"); // only the first mark
    EXPECT_EQ(text("\xEF\xBB"
                   "a"),
              "\xEF\xBB"
              "a");
    EXPECT_EQ(text("a\xFF\xFE"), "a\xFF\xFE"); // a mark only counts first
    EXPECT_EQ(text("\xFF\xFE"
                   "1\0\r\0\n\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE"s),
              "1\r\n\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(text("\xFE\xFF"
                   "\0001\0\r\0\n\x20\xAC"s),
              "1\r\n\xE2\x82\xAC");
    // An unpaired surrogate, a reversed pair and an odd last byte.
    EXPECT_EQ(text("\xFF\xFE\x00\xD8x\0\x00\xDC\x00\xD8z"s),
              "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(text("\xFF\xFE"), "");
}

} // namespace
