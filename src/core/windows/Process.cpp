#include "core/Process.h"

#include <SDL.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {
// Closing the console window, logging off or shutting down ends the game the
// way a quit request does. Windows ends the process as soon as this returns,
// so it waits: the game ends the process itself, after its exit save.
BOOL WINAPI quitOnClose(DWORD event) {
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
        return FALSE;
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    Sleep(INFINITE);
    return TRUE;
}
} // namespace

// A Windows process always starts with its three standard streams, and has
// neither broken-pipe nor file-size signals: a failed write just fails. What
// the game prints goes out byte for byte as on Linux, with no CR put before
// each line end (the console starts a new line at a bare LF all the same).
void prepareProcess() {
    _setmode(_fileno(stdout), _O_BINARY);
}

void quitOnHangUp() {
    SetConsoleCtrlHandler(quitOnClose, TRUE);
}
