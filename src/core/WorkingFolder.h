#pragma once
// The folder the game runs in: every file it reads or writes lies under
// Resources there. A game started from somewhere else (another prompt, a
// shortcut with no working folder, a file manager) runs in its program's own
// folder instead. A folder counts as the game's only when it holds one of the
// game's own files: a `Resources` of some other program's (C:\Windows has
// one) is never read or written.
#include <string>
#include <vector>

// `gameFiles` are paths of the game's own files, relative to its folder, its
// font (the surest sign of the game's folder) first. For each in turn, the
// working folder stays when it holds that file, or else the program's folder
// becomes the working folder when it does; true then. When neither holds any
// of them, false: the working folder stays, and `problem` says what is
// missing, for the player: the font, where one of the two folders holds the
// game's Resources/Assets or Resources/Data, else the whole game.
bool enterGameFolder(const std::vector<std::string>& gameFiles, std::string& problem);
