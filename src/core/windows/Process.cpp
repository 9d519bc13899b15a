#include "core/Process.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <cstdio>
#include <cstdlib>
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

// A program with windows is told of the session's end by messages to them,
// not by the console handler: after WM_ENDSESSION (with wParam TRUE) returns,
// Windows ends the process. The message reaches SDL's window procedure on the
// game's own thread, in the middle of an input poll, so the game cannot be
// left to finish its loop: the process ends here, through exit(), which
// writes the exit save. SDL hands each window message to the event filter
// while the message is being handled; none is queued, as the game has no
// other use for them.
int endWithSession(void* /*unused*/, SDL_Event* event) {
    if (event->type != SDL_SYSWMEVENT) {
        return 1;
    }
    const SDL_SysWMmsg* const message = event->syswm.msg;
    if (message != nullptr && message->subsystem == SDL_SYSWM_WINDOWS &&
        message->msg.win.msg == WM_ENDSESSION && message->msg.win.wParam != 0) {
        std::exit(0);
    }
    return 0;
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
    SDL_SetEventFilter(endWithSession, nullptr);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

bool hasEnded(int64_t processId) {
    const auto id = static_cast<DWORD>(processId);
    if (id != processId) {
        return true;
    }
    // A number no process has is refused as a wrong parameter; a process that
    // has ended but is still held open by someone has an exit code.
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool ended = GetExitCodeProcess(process, &code) != 0 && code != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
}
