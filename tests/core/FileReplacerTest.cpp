// Data files are replaced whole, through a temporary file beside them; and
// when the system says no: a write cut short, a link that leads nowhere, a
// folder the game may not add files to.
#include "core/FileReplacer.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#ifdef _WIN32
#include "support/HeldFile.h"
#else
#include "support/AsAnotherUser.h"

#include <csignal>
#include <fcntl.h>
#ifdef __linux__
#include <linux/fs.h>
#endif
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {

namespace fs = std::filesystem;

size_t entries(const char* folder) {
    const fs::directory_iterator all(folder);
    return static_cast<size_t>(std::distance(begin(all), end(all)));
}

#ifdef _WIN32

TEST(FileReplacerTest, PosixRules) {
    GTEST_SKIP() << "links, modes, owners, FIFOs, folder flags and file-size limits are POSIX's";
}

TEST(FileReplacerTest, WindowsReplacesWholeFilesAndKeepsReadOnlyOnes) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/a.ini", "old bytes");
    EXPECT_TRUE(replaceFile("Resources/Data/a.ini", "new", true));
    EXPECT_EQ(workspace.read("Resources/Data/a.ini"), "new");
    EXPECT_TRUE(replaceFile("Resources/Data/b.ini", "made"));
    EXPECT_EQ(workspace.read("Resources/Data/b.ini"), "made");

    // The read-only attribute keeps a file as it is.
    fs::permissions("Resources/Data/a.ini",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(replaceFile("Resources/Data/a.ini", "again"));
    EXPECT_EQ(workspace.read("Resources/Data/a.ini"), "new");
    fs::create_directories("Resources/Data/c.ini/inside");
    EXPECT_FALSE(replaceFile("Resources/Data/c.ini", "x"));
    EXPECT_EQ(entries("Resources/Data"), 3u) << "no temporary file is left";
}

TEST(FileReplacerTest, WindowsWaitsForAFileHeldForAMoment) {
    TestWorkspace workspace;
    const char* const path = "Resources/Data/a.ini";
    for (const HeldFile::Hold hold : {HeldFile::Hold::Unshared, HeldFile::Hold::Deleting}) {
        workspace.write(path, "old");
        HeldFile held(path, hold);
        ASSERT_TRUE(held.isHeld());
        held.releaseAfter(300);
        EXPECT_TRUE(replaceFile(path, "new"));
        EXPECT_EQ(workspace.read(path), "new");
    }
    EXPECT_EQ(entries("Resources/Data"), 1u) << "no temporary file is left";
}

TEST(FileReplacerTest, WindowsNamesAFileHeldForGoodButNotARefusal) {
    TestWorkspace workspace;
    const char* const path = "Resources/Data/a.ini";
    workspace.write(path, "old");
    std::string text;
    {
        const HeldFile held(path, HeldFile::Hold::Unshared);
        ASSERT_TRUE(held.isHeld());
        StdoutCapture printed;
        EXPECT_FALSE(replaceFile(path, "new"));
        text = printed.text();
    }
    EXPECT_EQ(text.rfind("Resources/Data/a.ini could not be written: ", 0), 0u) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
    EXPECT_EQ(workspace.read(path), "old");
    EXPECT_EQ(entries("Resources/Data"), 1u) << "no temporary file is left";

    // A read-only file is the player's choice: refused without a word.
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    StdoutCapture printed;
    EXPECT_FALSE(replaceFile(path, "new"));
    EXPECT_EQ(printed.text(), "");
}

TEST(FileReplacerTest, WindowsTakesUtf8Paths) {
    TestWorkspace workspace;
    const std::string folder = "Resources/Data/Sp\xC3\xA4ter \xE6\x97\xA5\xE6\x9C\xAC";
    fs::create_directory(fs::u8path(folder));
    EXPECT_TRUE(replaceFile(folder + "/\xC3\xA9t\xC3\xA9.ini", "summer"));
    std::ifstream file(fs::u8path(folder + "/\xC3\xA9t\xC3\xA9.ini"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "summer");
    // Bytes that are not UTF-8 name no file.
    EXPECT_FALSE(replaceFile("Resources/Data/\xFF.ini", "x"));
    EXPECT_EQ(entries("Resources/Data"), 1u);
}

#else

#ifndef __EMSCRIPTEN__
ino_t inodeOf(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 ? status.st_ino : 0;
}

#endif
TEST(FileReplacerTest, ReplacesWholeFilesAndCleansUp) {
    TestWorkspace workspace;
    const std::string bytes("one\0two\r\n", 9);
    EXPECT_TRUE(replaceFile("Resources/Data/a.txt", bytes));
    EXPECT_EQ(workspace.read("Resources/Data/a.txt"), bytes);
    EXPECT_TRUE(replaceFile("Resources/Data/a.txt", "4"));
    EXPECT_EQ(workspace.read("Resources/Data/a.txt"), "4");
    EXPECT_EQ(entries("Resources/Data"), 1u);

    // A folder in the file's place cannot be replaced.
    fs::create_directories("Resources/Data/b.txt/inside");
    EXPECT_FALSE(replaceFile("Resources/Data/b.txt", "abc"));
    EXPECT_EQ(entries("Resources/Data"), 2u);

    workspace.remove("Resources/Data");
    EXPECT_FALSE(replaceFile("Resources/Data/a.txt", "abc"));
    EXPECT_EQ(entries("Resources"), 1u); // just Assets
}

fs::perms permsOf(const char* path) {
    return fs::status(path).permissions();
}

TEST(FileReplacerTest, FollowsLinksKeepsModesAndIgnoresLeftovers) {
    TestWorkspace workspace;
    // A link into another folder stays a link; the file it leads to is replaced.
    fs::create_directories("elsewhere");
    workspace.write("elsewhere/real.ini", "old");
    fs::create_symlink("../../elsewhere/real.ini", "Resources/Data/linked.ini");
    EXPECT_TRUE(replaceFile("Resources/Data/linked.ini", "new"));
    EXPECT_TRUE(fs::is_symlink("Resources/Data/linked.ini"));
    EXPECT_EQ(workspace.read("elsewhere/real.ini"), "new");

    // The replaced file keeps its permission bits.
    workspace.write("Resources/Data/private.ini", "old");
    fs::permissions("Resources/Data/private.ini", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(replaceFile("Resources/Data/private.ini", "new", true));
    EXPECT_EQ(permsOf("Resources/Data/private.ini"),
              fs::perms::owner_read | fs::perms::owner_write);

    // Leftovers of the old temporary name change nothing, and a link planted
    // there is not written through.
    workspace.write("Resources/Data/a.ini.tmp", "stale");
    fs::create_directories("Resources/Data/b.ini.tmp");
    fs::create_symlink("../../elsewhere/real.ini", "Resources/Data/c.ini.tmp");
    for (const char* name :
         {"Resources/Data/a.ini", "Resources/Data/b.ini", "Resources/Data/c.ini"}) {
        EXPECT_TRUE(replaceFile(name, "saved")) << name;
        EXPECT_EQ(workspace.read(name), "saved") << name;
    }
    EXPECT_EQ(workspace.read("Resources/Data/a.ini.tmp"), "stale");
    EXPECT_EQ(workspace.read("elsewhere/real.ini"), "new");
    EXPECT_EQ(entries("Resources/Data"), 8u) << "no temporary file is left";
}

TEST(FileReplacerTest, LeavesWhatIsNotARegularFileAlone) {
    TestWorkspace workspace;
#ifdef __EMSCRIPTEN__
    // The browser's file systems have no FIFOs: a folder stands in.
    fs::create_directory("Resources/Data/fifo.ini");
#else
    ASSERT_EQ(mkfifo("Resources/Data/fifo.ini", 0644), 0);
    EXPECT_TRUE(fs::is_fifo("Resources/Data/fifo.ini"));
#endif
    EXPECT_FALSE(replaceFile("Resources/Data/fifo.ini", "x"));
    fs::create_symlink("/dev/null", "Resources/Data/null.ini");
    EXPECT_FALSE(replaceFile("Resources/Data/null.ini", "x"));
    EXPECT_TRUE(fs::is_symlink("Resources/Data/null.ini"));
    EXPECT_EQ(entries("Resources/Data"), 2u);
}

#ifndef __EMSCRIPTEN__
TEST(FileReplacerTest, AWriteCutShortLeavesTheOldFileAndNoTemporary) {
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
#endif

TEST(FileReplacerTest, LinksAreFollowedFromTheWorkingFolderButNotRoundALoop) {
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

#ifdef __EMSCRIPTEN__
TEST(FileReplacerTest, PermissionAndSizeLimitRules) {
    GTEST_SKIP() << "the browser's file system has one user and binds no permission bits or file "
                    "size limits";
}

// A stand-in for the page's storage of the player's files, counting the
// times it is asked to store them.
// clang-format off
EM_JS(void, countStores, (), {
    Module.playerFiles = {stores : 0, store : () => Module.playerFiles.stores++};
});
// clang-format on
// clang-format off
EM_JS(int, storesCounted, (), { return Module.playerFiles.stores; });
// clang-format on
// clang-format off
EM_JS(void, forgetStores, (), { Module.playerFiles = null; });
// clang-format on

// The page keeps the player's files in memory until it stores them in the
// browser's storage: each replacement is stored at once, a failed one is not.
TEST(FileReplacerTest, EveryReplacementIsStoredAtOnce) {
    const TestWorkspace workspace;
    countStores();
    EXPECT_TRUE(replaceFile("Resources/Data/a.ini", "1"));
    EXPECT_EQ(storesCounted(), 1);
    EXPECT_TRUE(replaceFile("Resources/Data/a.ini", "2", true));
    fs::create_directories("Resources/Data/b.ini");
    EXPECT_FALSE(replaceFile("Resources/Data/b.ini", "3"));
    EXPECT_EQ(storesCounted(), 2);
    forgetStores();
}
#else
TEST(FileReplacerTest, InAReadOnlyFolderWritableFilesAreRewrittenWhereTheyAre) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/open.ini", "old open");
    workspace.write("Resources/Data/locked.ini", "old locked");
    fs::permissions("Resources/Data/open.ini", fs::perms(0666));
    fs::permissions("Resources/Data/locked.ini", fs::perms(0444));
    fs::permissions(workspace.path(), fs::perms(0755));
    fs::permissions("Resources/Data", fs::perms(0555));
    const ino_t inode = inodeOf("Resources/Data/open.ini");
    // Root writes through any mode bits: file access goes through another user meanwhile.
    bool openReplaced = false;
    bool lockedReplaced = false;
    bool newMade = false;
    {
        const AsAnotherUser other;
        openReplaced = replaceFile("Resources/Data/open.ini", "new", true);
        lockedReplaced = replaceFile("Resources/Data/locked.ini", "new");
        newMade = replaceFile("Resources/Data/new.ini", "new");
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

TEST(FileReplacerTest, AnotherUsersFileInAFolderThatCannotBeListedIsReplaced) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can lay out another user's file";
    }
    TestWorkspace workspace;
    workspace.write("Resources/Data/shared.ini", "old");
    fs::permissions("Resources/Data/shared.ini", fs::perms(0646));
    fs::permissions(workspace.path(), fs::perms(0755));
    // Others may add and rename files here but not list the folder, so it cannot be synced.
    fs::permissions("Resources/Data", fs::perms(0773));
    bool replaced = false;
    {
        const AsAnotherUser other;
        // The new file cannot be given back to its owner; it is replaced all the same.
        replaced = replaceFile("Resources/Data/shared.ini", "new", true);
    }

    EXPECT_TRUE(replaced);
    EXPECT_EQ(workspace.read("Resources/Data/shared.ini"), "new");
    EXPECT_EQ(fs::status("Resources/Data/shared.ini").permissions(), fs::perms(0646));
    EXPECT_EQ(entries("Resources/Data"), 1u);
}

// Replaces a file in a read-only folder, as another user when run by root
// (root writes through any mode bits), with files limited to `sizeLimit` bytes.
bool replaceInReadOnlyFolder(const TestWorkspace& workspace, const char* path,
                             const std::string& bytes, rlim_t sizeLimit) {
    fs::permissions(workspace.path(), fs::perms(0755));
    fs::permissions("Resources/Data", fs::perms(0555));
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit limited = before;
    limited.rlim_cur = sizeLimit;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    bool replaced = false;
    {
        const AsAnotherUser other;
        replaced = replaceFile(path, bytes);
    }
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    fs::permissions("Resources/Data", fs::perms(0755));
    return replaced;
}

TEST(FileReplacerTest, ARewriteInPlaceIsNeverCutBelowTheOldContents) {
    TestWorkspace workspace;
    const char* const path = "Resources/Data/Settings.ini";
    const std::string old = "MusicVolume=100\r\nFxVolume=100\r\n";
    workspace.write(path, old);
    fs::permissions(path, fs::perms(0666));

    // A shorter content replaces the whole file: the old tail is cut.
    EXPECT_TRUE(replaceInReadOnlyFolder(workspace, path, "short\r\n", RLIM_INFINITY));
    EXPECT_EQ(workspace.read(path), "short\r\n");

    // A write that stops after 14 bytes (as a kill would) leaves the new bytes
    // over the old ones, the file as long as before: never emptied first.
    workspace.write(path, old);
    const std::string longer = "MusicVolume=55\r\nFxVolume=66\r\nWindowWidth=1280\r\n";
    EXPECT_FALSE(replaceInReadOnlyFolder(workspace, path, longer, 14));
    EXPECT_EQ(workspace.read(path), "MusicVolume=550\r\nFxVolume=100\r\n");
    EXPECT_EQ(entries("Resources/Data"), 1u);
}

TEST(FileReplacerTest, AReadOnlyFileInItsOwnersFolderIsKept) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can lay out another user's files and act as that user";
    }
    TestWorkspace workspace;
    workspace.write("Resources/Data/locked.ini", "old");
    workspace.write("Resources/Data/open.ini", "old");
    fs::permissions(workspace.path(), fs::perms(0755));
    fs::permissions("Resources/Data/locked.ini", fs::perms(0444));
    fs::permissions("Resources/Data/open.ini", fs::perms(0644));
    for (const char* path :
         {"Resources/Data", "Resources/Data/locked.ini", "Resources/Data/open.ini"}) {
        ASSERT_EQ(::chown(path, 65534, 65534), 0) << path;
    }
    // The folder is the user's own, so a rename over the locked file would go
    // through: only the file's mode may stop it. Its writable neighbour shows
    // that the user can replace files there at all.
    bool openReplaced = false;
    bool lockedReplaced = false;
    {
        const AsAnotherUser other;
        openReplaced = replaceFile("Resources/Data/open.ini", "new", true);
        lockedReplaced = replaceFile("Resources/Data/locked.ini", "new", true);
    }

    EXPECT_TRUE(openReplaced);
    EXPECT_EQ(workspace.read("Resources/Data/open.ini"), "new");
    EXPECT_FALSE(lockedReplaced);
    EXPECT_EQ(workspace.read("Resources/Data/locked.ini"), "old");
    EXPECT_EQ(permsOf("Resources/Data/locked.ini"), fs::perms(0444));
    EXPECT_EQ(entries("Resources/Data"), 2u);
}
#endif

#ifdef __linux__
// Sets or clears the folder's append-only flag; false where the file system
// or the user cannot.
bool setAppendOnly(const char* folder, bool on) {
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    bool set = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
    set = set && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return set;
}

TEST(FileReplacerTest, AnAppendOnlyFolderIsWrittenInPlaceWithNoTemporaryLeft) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/a.ini", "old bytes");
    if (!setAppendOnly("Resources/Data", true)) {
        GTEST_SKIP() << "this file system or user cannot make a folder append-only";
    }
    const ino_t inode = inodeOf("Resources/Data/a.ini");
    const bool replaced = replaceFile("Resources/Data/a.ini", "new", true);
    const bool made = replaceFile("Resources/Data/b.ini", "made");
    setAppendOnly("Resources/Data", false);

    EXPECT_TRUE(replaced);
    EXPECT_EQ(workspace.read("Resources/Data/a.ini"), "new");
    EXPECT_EQ(inodeOf("Resources/Data/a.ini"), inode);
    EXPECT_TRUE(made);
    EXPECT_EQ(workspace.read("Resources/Data/b.ini"), "made");
    EXPECT_EQ(entries("Resources/Data"), 2u);
}
#else
TEST(FileReplacerTest, AnAppendOnlyFolderIsWrittenInPlaceWithNoTemporaryLeft) {
    GTEST_SKIP() << "append-only folders are Linux's";
}
#endif

TEST(FileReplacerTest, RootsNewFilesInAPlayersFolderAreThePlayers) {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "the browser's file system keeps no owners";
#endif
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can lay out another user's folder";
    }
    TestWorkspace workspace;
    workspace.write("Resources/Data/roots.ini", "old");
    ASSERT_EQ(::chown("Resources/Data", 65534, 65534), 0);
    EXPECT_TRUE(replaceFile("Resources/Data/new.ini", "new"));
    EXPECT_TRUE(replaceFile("Resources/Data/roots.ini", "new"));
    struct stat made {};
    ASSERT_EQ(::stat("Resources/Data/new.ini", &made), 0);
    EXPECT_EQ(made.st_uid, 65534u);
    EXPECT_EQ(made.st_gid, 65534u);
    // A file that was there keeps its own owner.
    struct stat kept {};
    ASSERT_EQ(::stat("Resources/Data/roots.ini", &kept), 0);
    EXPECT_EQ(kept.st_uid, 0u);
}

#endif

} // namespace
