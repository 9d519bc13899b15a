#include "core/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
void hangUpAsTerminate(int /*signal*/) {
    std::raise(SIGTERM);
}
} // namespace

void prepareProcess() {
    // A new descriptor takes the lowest free number, so in this order each
    // closed stream gets the one it is missing.
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (::fcntl(stream, F_GETFD) == -1 && errno == EBADF) {
            ::open("/dev/null", O_RDWR); // NOLINT(android-cloexec-open): stays the stream for good
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

void quitOnHangUp() {
    std::signal(SIGHUP, hangUpAsTerminate);
}

bool hasEnded(int64_t processId) {
    const auto id = static_cast<pid_t>(processId);
    // (Another user's process refuses the signal, but it is there.)
    return id <= 0 || id != processId || (::kill(id, 0) != 0 && errno == ESRCH);
}
