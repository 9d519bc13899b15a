#include "core/Process.h"

#include <sys/stat.h>

void prepareProcess() {
    // The browser's C library starts with every permission masked off, which
    // would leave each file the game writes unreadable: the usual mask instead.
    ::umask(022);
}

void quitOnHangUp() {
    // A page has no terminal to close.
}
