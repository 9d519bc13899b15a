// Reading the game's files: only regular files, never more than asked for,
// and lines split the way every text file of the game is read.
#include "core/FileReader.h"
#include "core/TextLines.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

TEST(FileReaderTest, ReadsOnlyRegularFilesAndAtMostTheLimit) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/a.ini", "0123456789");
    std::string bytes = "junk";
    EXPECT_TRUE(readFile("Resources/Data/a.ini", bytes, 4));
    EXPECT_EQ(bytes, "0123");
    EXPECT_TRUE(readFile("Resources/Data/a.ini", bytes, 100));
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_TRUE(isReadableFile("Resources/Data/a.ini"));
    EXPECT_FALSE(isSpecialFile("Resources/Data/a.ini"));

    // A FIFO would wait for a writer, a device never ends: both are missing.
    ASSERT_EQ(mkfifo("Resources/Data/fifo", 0644), 0);
    std::filesystem::create_symlink("/dev/zero", "Resources/Data/zero");
    for (const char* path :
         {"Resources/Data/fifo", "Resources/Data/zero", "Resources/Data", "Resources/Data/none"}) {
        EXPECT_FALSE(readFile(path, bytes, 100)) << path;
        EXPECT_EQ(bytes, "") << path;
        EXPECT_FALSE(isReadableFile(path)) << path;
    }
    EXPECT_TRUE(isSpecialFile("Resources/Data/fifo"));
    EXPECT_TRUE(isSpecialFile("Resources/Data/zero"));
    EXPECT_FALSE(isSpecialFile("Resources/Data/none"));
}

TEST(TextLinesTest, LineEnds) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("\n"), Lines{""});
    EXPECT_EQ(splitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    // A lone CR is a byte of its line; an unended last line keeps its CR.
    EXPECT_EQ(splitLines("a\rb\r\r\nc\r"), (Lines{"a\rb\r", "c\r"}));
}

} // namespace
