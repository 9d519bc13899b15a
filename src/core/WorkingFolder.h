#pragma once
// The folder the game runs in: every file it reads or writes lies under
// Resources there. A game started from somewhere else (another prompt, a
// shortcut with no working folder, a file manager) runs in its program's own
// folder instead, when that one holds the Resources.
#include <string>

// True when the working folder holds Resources, or the program's folder does
// and is now the working folder. Otherwise the working folder stays, and
// `looked` names the folders looked in, for the player.
bool enterGameFolder(std::string& looked);
