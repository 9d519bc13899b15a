#pragma once
// A write killed half way leaves its temporary file beside the data file
// (`<file>.tmp.<pid>.<suffix>`, see FileReplacer.h) for good. The game clears
// such leftovers when it starts.
#include <string>

// Removes the temporary files in `folder` whose writing process has ended;
// those of a game still running are left alone, as is everything else.
void removeLeftovers(const std::string& folder);
