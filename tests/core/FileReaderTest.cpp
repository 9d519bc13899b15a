// Reading the game's files: only regular files, never more than asked for,
// and nothing when the system fails the read.
#include "core/FileReader.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#endif

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

    // A folder is not read; nor, where the system has them, a FIFO (it would
    // wait for a writer) or a device (it never ends).
    for (const char* path : {"Resources/Data", "Resources/Data/none"}) {
        EXPECT_FALSE(readFile(path, bytes, 100)) << path;
        EXPECT_EQ(bytes, "") << path;
        EXPECT_FALSE(isReadableFile(path)) << path;
    }
    EXPECT_TRUE(isSpecialFile("Resources/Data"));
    EXPECT_FALSE(isSpecialFile("Resources/Data/none"));
#ifndef _WIN32
#ifdef __EMSCRIPTEN__
    // The browser's file systems have no FIFOs: a folder stands in.
    std::filesystem::create_directory("Resources/Data/fifo");
#else
    ASSERT_EQ(mkfifo("Resources/Data/fifo", 0644), 0);
#endif
    // An endless device (the browser's has no /dev/zero).
    std::filesystem::create_symlink("/dev/urandom", "Resources/Data/endless");
    for (const char* path : {"Resources/Data/fifo", "Resources/Data/endless"}) {
        EXPECT_FALSE(readFile(path, bytes, 100)) << path;
        EXPECT_EQ(bytes, "") << path;
        EXPECT_FALSE(isReadableFile(path)) << path;
        EXPECT_TRUE(isSpecialFile(path)) << path;
    }
#endif
}

TEST(FileReaderTest, AReadThatFailsGivesNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a regular file whose reads fail, as Linux's /proc/self/mem";
#endif
    // A regular file whose reads fail: the process's memory at address 0.
    std::string bytes = "stale";
    EXPECT_FALSE(readFile("/proc/self/mem", bytes, 100));
    EXPECT_EQ(bytes, "");
}

} // namespace
