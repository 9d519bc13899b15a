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

TEST(FileFailureTest, LinksAreFollowedFromTheWorkingFolderButNotRoundALoop) {
    TestWorkspace workspace;
    fs::create_symlink("b.ini", "Resources/Data/a.ini");
    fs::create_symlink("a.ini", "Resources/Data/b.ini");
    EXPECT_FALSE(replaceFile("Resources/Data/a.ini", "x"));
    EXPECT_TRUE(fs::is_symlink("Resources/Data/a.ini"));
    EXPECT_TRUE(fs::is_symlink("Resources/Data/b.ini"));
    EXPECT_EQ(entries("Resources/Data"), 2u);

    // A link with no folder in its path leads from the working folder.
    workspace.write("Resources/Data/there.ini", "old");
    fs::create_symlink("Resources/Data/there.ini", "here.ini");
    EXPECT_TRUE(replaceFile("here.ini", "new", true));
    EXPECT_TRUE(fs::is_symlink("here.ini"));
    EXPECT_EQ(workspace.read("Resources/Data/there.ini"), "new");
    EXPECT_EQ(entries("Resources/Data"), 3u);
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
    const bool newMade = replaceFile("Resources/Data/new.ini", "new");
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
    EXPECT_FALSE(newMade);
    EXPECT_EQ(entries("Resources/Data"), 2u);
}

TEST(FileFailureTest, AnotherUsersFileInAFolderThatCannotBeListedIsReplaced) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can lay out another user's file";
    }
    TestWorkspace workspace;
    workspace.write("Resources/Data/shared.ini", "old");
    fs::permissions("Resources/Data/shared.ini", fs::perms(0646));
    fs::permissions(workspace.path(), fs::perms(0755));
    // Others may add and rename files here but not list the folder, so it cannot be synced.
    fs::permissions("Resources/Data", fs::perms(0773));
    setfsgid(65534);
    setfsuid(65534);
    // The new file cannot be given back to its owner; it is replaced all the same.
    const bool replaced = replaceFile("Resources/Data/shared.ini", "new", true);
    setfsuid(0);
    setfsgid(0);

    EXPECT_TRUE(replaced);
    EXPECT_EQ(workspace.read("Resources/Data/shared.ini"), "new");
    EXPECT_EQ(fs::status("Resources/Data/shared.ini").permissions(), fs::perms(0646));
    EXPECT_EQ(entries("Resources/Data"), 1u);
}

TEST(ClockTest, ReadingsThatAreNoNumberWrapToZero) {
    EXPECT_EQ(Clock::wrap(std::nan("")), 0);
    EXPECT_EQ(Clock::wrap(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(Clock::wrap(-std::numeric_limits<double>::infinity()), 0);
}

} // namespace
