// The file helpers when the system says no: a read that fails, a write cut
// short, a link that leads nowhere, a folder the game may not add files to;
// and clock readings that are not numbers.
#include "core/Clock.h"
#include "core/FileReader.h"
#include "core/FileReplacer.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <limits>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

size_t entries(const char* folder) {
    const fs::directory_iterator all(folder);
    return static_cast<size_t>(std::distance(begin(all), end(all)));
}

ino_t inodeOf(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 ? status.st_ino : 0;
}

TEST(FileFailureTest, AReadThatFailsGivesNothing) {
    // A regular file whose reads fail: the process's memory at address 0.
    std::string bytes = "stale";
    EXPECT_FALSE(readFile("/proc/self/mem", bytes, 100));
    EXPECT_EQ(bytes, "");
}

TEST(FileFailureTest, AWriteCutShortLeavesTheOldFileAndNoTemporary) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/a.ini", "old bytes");
    // Files may grow to 4 bytes only; the write of the temporary file fails part way.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 4;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = replaceFile("Resources/Data/a.ini", "0123456789", true);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(replaced);
    EXPECT_EQ(workspace.read("Resources/Data/a.ini"), "old bytes");
    EXPECT_EQ(entries("Resources/Data"), 1u);
}

TEST(FileFailureTest, ALinkLoopIsNotWritten) {
    TestWorkspace workspace;
    fs::create_symlink("b.ini", "Resources/Data/a.ini");
    fs::create_symlink("a.ini", "Resources/Data/b.ini");
    EXPECT_FALSE(replaceFile("Resources/Data/a.ini", "x"));
    EXPECT_TRUE(fs::is_symlink("Resources/Data/a.ini"));
    EXPECT_TRUE(fs::is_symlink("Resources/Data/b.ini"));
    EXPECT_EQ(entries("Resources/Data"), 2u);
}

TEST(FileFailureTest, InAReadOnlyFolderWritableFilesAreRewrittenWhereTheyAre) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/open.ini", "old open");
    workspace.write("Resources/Data/locked.ini", "old locked");
    fs::permissions("Resources/Data/open.ini", fs::perms(0666));
    fs::permissions("Resources/Data/locked.ini", fs::perms(0444));
    fs::permissions(workspace.path(), fs::perms(0755));
    fs::permissions("Resources/Data", fs::perms(0555));
    const ino_t inode = inodeOf("Resources/Data/open.ini");
    // Root writes through any mode bits: file access goes through another user meanwhile.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        setfsgid(65534);
        setfsuid(65534);
    }
    const bool openReplaced = replaceFile("Resources/Data/open.ini", "new", true);
    const bool lockedReplaced = replaceFile("Resources/Data/locked.ini", "new");
    if (asRoot) {
        setfsuid(0);
        setfsgid(0);
    }
    fs::permissions("Resources/Data", fs::perms(0755));

    EXPECT_TRUE(openReplaced);
    EXPECT_EQ(workspace.read("Resources/Data/open.ini"), "new");
    EXPECT_EQ(inodeOf("Resources/Data/open.ini"), inode);
    EXPECT_EQ(fs::status("Resources/Data/open.ini").permissions(), fs::perms(0666));
    EXPECT_FALSE(lockedReplaced);
    EXPECT_EQ(workspace.read("Resources/Data/locked.ini"), "old locked");
    EXPECT_EQ(entries("Resources/Data"), 2u);
}

TEST(ClockTest, ReadingsThatAreNoNumberWrapToZero) {
    EXPECT_EQ(Clock::wrap(std::nan("")), 0);
    EXPECT_EQ(Clock::wrap(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(Clock::wrap(-std::numeric_limits<double>::infinity()), 0);
}

} // namespace
