#pragma once
// A write killed half way leaves its temporary file beside the data file
// (`<file>.tmp.<pid>.<suffix>`, see FileReplacer.h) for good. The game clears
// such leftovers when it starts.
#include <string>
#include <vector>

// Removes the temporary files of these data files (paths) that a write left
// beside them and whose writing process has ended: only names exactly as this
// system's writes make them. Those of a game still running are left alone, as
// is everything else (a player's `notes.tmp.12.ab`, say).
void removeLeftovers(const std::vector<std::string>& dataFiles);
