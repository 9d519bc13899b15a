// Data files are replaced whole, through a temporary file beside them.
#include "core/FileReplacer.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

size_t entries(const char* folder) {
    const std::filesystem::directory_iterator all(folder);
    return static_cast<size_t>(std::distance(begin(all), end(all)));
}

TEST(FileReplacerTest, ReplacesWholeFilesAndCleansUp) {
    TestWorkspace workspace;
    const std::string bytes("one\0two\r\n", 9);
    EXPECT_TRUE(replaceFile("Resources/Data/a.txt", bytes));
    EXPECT_EQ(workspace.read("Resources/Data/a.txt"), bytes);
    EXPECT_TRUE(replaceFile("Resources/Data/a.txt", "4"));
    EXPECT_EQ(workspace.read("Resources/Data/a.txt"), "4");
    EXPECT_EQ(entries("Resources/Data"), 1u);

    // A folder in the file's place cannot be replaced.
    std::filesystem::create_directories("Resources/Data/b.txt/inside");
    EXPECT_FALSE(replaceFile("Resources/Data/b.txt", "abc"));
    EXPECT_EQ(entries("Resources/Data"), 2u);

    workspace.remove("Resources/Data");
    EXPECT_FALSE(replaceFile("Resources/Data/a.txt", "abc"));
    EXPECT_EQ(entries("Resources"), 1u); // just Assets
}

} // namespace
