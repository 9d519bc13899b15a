// Reading the game's files: only regular files, never more than asked for,
// and nothing when the system fails the read.
#include "core/FileReader.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"
#include "support/UnreadableFile.h"

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
    EXPECT_EQ(readFile("Resources/Data/a.ini", bytes, 4), ReadResult::Read);
    EXPECT_EQ(bytes, "0123");
    EXPECT_EQ(readFile("Resources/Data/a.ini", bytes, 100), ReadResult::Read);
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_TRUE(isRegularFile("Resources/Data/a.ini"));
    EXPECT_FALSE(isSpecialFile("Resources/Data/a.ini"));

    // A folder is not read; nor, where the system has them, a FIFO (it would
    // wait for a writer) or a device (it never ends).
    for (const char* path : {"Resources/Data", "Resources/Data/none"}) {
        EXPECT_EQ(readFile(path, bytes, 100), ReadResult::Missing) << path;
        EXPECT_EQ(bytes, "") << path;
        EXPECT_FALSE(isRegularFile(path)) << path;
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
        EXPECT_EQ(readFile(path, bytes, 100), ReadResult::Missing) << path;
        EXPECT_EQ(bytes, "") << path;
        EXPECT_FALSE(isRegularFile(path)) << path;
        EXPECT_TRUE(isSpecialFile(path)) << path;
    }
#endif
}

TEST(FileReaderTest, AFileThatIsThereButCannotBeReadIsNotMissing) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/a.ini", "kept");
    std::string bytes = "junk";
    {
        const UnreadableFile unreadable("Resources/Data/a.ini");
        const StdoutCapture printed;
        EXPECT_EQ(readFile("Resources/Data/a.ini", bytes, 100), ReadResult::Unreadable);
        EXPECT_TRUE(isRegularFile("Resources/Data/a.ini"));
    }
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(readFile("Resources/Data/a.ini", bytes, 100), ReadResult::Read);
    EXPECT_EQ(bytes, "kept");
}

#ifdef _WIN32

TEST(FileReaderTest, WindowsWaitsForAFileHeldForAMoment) {
    // (A file being deleted is waited for too; wine lets it be opened meanwhile, so that is not
    // tried here.)
    TestWorkspace workspace;
    workspace.write("Resources/Data/a.ini", "kept");
    HeldFile held("Resources/Data/a.ini", HeldFile::Hold::Unshared);
    ASSERT_TRUE(held.isHeld());
    held.releaseAfter(300);
    std::string bytes;
    EXPECT_EQ(readFile("Resources/Data/a.ini", bytes, 100), ReadResult::Read);
    EXPECT_EQ(bytes, "kept");
}

TEST(FileReaderTest, WindowsNamesAFileHeldForGood) {
    TestWorkspace workspace;
    workspace.write("Resources/Data/a.ini", "kept");
    const HeldFile held("Resources/Data/a.ini", HeldFile::Hold::Unshared);
    ASSERT_TRUE(held.isHeld());
    StdoutCapture printed;
    std::string bytes = "junk";
    EXPECT_EQ(readFile("Resources/Data/a.ini", bytes, 100), ReadResult::Unreadable);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(printed.text(),
              "Resources/Data/a.ini could not be read: another program is using it\n");
}

#endif

TEST(FileReaderTest, AReadThatFailsGivesNothing) {
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
    GTEST_SKIP() << "needs a regular file whose reads fail, as Linux's /proc/self/mem";
#endif
    // A regular file whose reads fail: the process's memory at address 0.
    std::string bytes = "stale";
    EXPECT_EQ(readFile("/proc/self/mem", bytes, 100), ReadResult::Unreadable);
    EXPECT_EQ(bytes, "");
}

} // namespace
