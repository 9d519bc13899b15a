// The process's standard streams and the signals that must not end it, each
// case in a child process of its own; in the browser, the mask of new files.
#include "core/Process.h"
#include "core/FileReplacer.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Above any process number a system hands out.
constexpr int64_t neverRun = 999999996;

#ifdef _WIN32

TEST(ProcessTest, AProcessThatHasEndedIsToldFromOneThatRuns) {
    EXPECT_FALSE(hasEnded(GetCurrentProcessId()));
    EXPECT_TRUE(hasEnded(neverRun));
}

TEST(ProcessTest, PosixRules) {
    GTEST_SKIP() << "closed standard descriptors and SIGXFSZ are POSIX's";
}

#elif defined(__EMSCRIPTEN__)

TEST(ProcessTest, AProcessThatHasEndedIsToldFromOneThatRuns) {
    EXPECT_FALSE(hasEnded(::getpid()));
    EXPECT_TRUE(hasEnded(neverRun));
}

TEST(ProcessTest, NewFilesAreReadableAfterThePreparation) {
    const TestWorkspace workspace;
    // The browser's C library starts with every permission masked off.
    ::umask(0777);
    prepareProcess();
    ASSERT_TRUE(replaceFile("Resources/Data/new.ini", "new"));
    struct stat made {};
    ASSERT_EQ(::stat("Resources/Data/new.ini", &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0644u);
}

#else

TEST(ProcessTest, AProcessThatHasEndedIsToldFromOneThatRuns) {
    EXPECT_FALSE(hasEnded(::getpid()));
    EXPECT_FALSE(hasEnded(1)) << "the first process runs as long as the system";
    const pid_t child = ::fork();
    if (child == 0) {
        std::_Exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_TRUE(hasEnded(child));
    EXPECT_TRUE(hasEnded(neverRun));
}

TEST(ProcessTest, ClosedStreamsAreFilledBeforeAnyFileIsOpened) {
    const TestWorkspace workspace;
    // Exits 0 only if the three streams are open and a file opened later is
    // not given the number of one of them.
    const auto check = [] {
        ::close(STDIN_FILENO);
        ::close(STDOUT_FILENO);
        ::close(STDERR_FILENO);
        prepareProcess();
        const int file = ::open("Resources/Data", O_RDONLY | O_CLOEXEC);
        const bool open = ::fcntl(STDIN_FILENO, F_GETFD) != -1 &&
                          ::fcntl(STDOUT_FILENO, F_GETFD) != -1 &&
                          ::fcntl(STDERR_FILENO, F_GETFD) != -1;
        std::_Exit(open && file > STDERR_FILENO ? 0 : 1);
    };
    EXPECT_EXIT(check(), testing::ExitedWithCode(0), "");
}

TEST(ProcessTest, AWritePastTheFileSizeLimitFailsInsteadOfEndingTheProcess) {
    const TestWorkspace workspace;
    const auto check = [] {
        prepareProcess();
        const rlimit small{4, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &small);
        const int file = ::open("Resources/Data/big", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        std::_Exit(::write(file, "0123456789", 10) == 4 && ::write(file, "x", 1) == -1 ? 0 : 1);
    };
    EXPECT_EXIT(check(), testing::ExitedWithCode(0), "");
}

#endif

} // namespace
