#pragma once
// Writes a data file so that it is never seen half written: the bytes go to a
// temporary file beside it, which then replaces the old file in one rename.
// A crash, a kill or a full disk leaves either the old file or the new one.
#include <string>

// Returns false, leaving the old file untouched, when anything fails (for
// example when the folder does not exist). Never creates folders.
bool replaceFile(const std::string& path, const std::string& bytes);
