#pragma once
// The folder the game runs in: every file it reads or writes lies under
// Resources there. A game started from somewhere else (another prompt, a
// shortcut with no working folder, a file manager) runs in its program's own
// folder instead. A folder counts as the game's only when it holds one of the
// game's own files: a `Resources` of some other program's (C:\Windows has
// one) is never read or written.
#include <string>

// True when the working folder holds `gameFile` (a path relative to the
// game's folder), or the program's folder does and is now the working folder.
// Otherwise the working folder stays, and `looked` names the folders looked
// in, for the player.
bool enterGameFolder(const std::string& gameFile, std::string& looked);
