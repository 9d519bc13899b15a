#include "core/Process.h"

#include <sys/stat.h>
#include <unistd.h>

void prepareProcess() {
    // The browser's C library starts with every permission masked off, which
    // would leave each file the game writes unreadable: the usual mask instead.
    ::umask(022);
}

void quitOnHangUp() {
    // A page has no terminal to close.
}

bool hasEnded(int64_t processId) {
    // A page runs one game, which always has the same number: a file left
    // with another number is no running game's.
    return processId != ::getpid();
}
