#pragma once
// What the game asks of its process around SDL: standard streams that are
// really there, writes that fail instead of ending the process, and a closed
// terminal or an ending session that ends the game through its exit save.
#include <cstdint>

// First thing in the process: each standard stream that is closed is opened
// on the null device, so that no file or connection opened later takes its
// number (printed text would otherwise go into it); a broken pipe or a file
// larger than the process may write makes that write fail instead of ending
// the process.
void prepareProcess();
// After SDL_Init, which turns an interrupt or a kill request into a quit
// request: a closed terminal (or console window) does the same. A session
// that ends (log-off, shutdown) ends the process through exit() as soon as
// it says so, which writes the exit save the game registered with atexit.
void quitOnHangUp();
// True when no process with this number is running any more; false while one
// is, whoever's it is.
bool hasEnded(int64_t processId);
