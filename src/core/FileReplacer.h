#pragma once
// Writes a data file so that it is never seen half written: the bytes go to a
// uniquely named temporary file beside it (created exclusively, so nothing
// planted there is written through), which then replaces the file in one
// rename. A crash or a kill of the game leaves either the old file or the new
// one; with `durable` the new one is also on disk before this returns, so it
// survives the machine losing power.
//
// The player's file is respected: one the game may not write is left as it
// is; a symbolic link is followed and the file it leads to replaced (the link
// stays a link); the file keeps its permission bits; a path that is not a
// regular file (a folder, a FIFO, a device) is left alone. When the folder
// itself is read-only the file is written in place instead.
//
// Windows lets other programs (virus scanners, sync tools, editors) hold a
// file for a moment: such a hold is waited out for about two seconds, and a
// file still held after that is named in one printed line with the cause. The
// temporary file's name carries the process's number and a suffix that makes
// it unique (`<file>.tmp.<pid>.<suffix>`), so that a leftover of a killed game
// can be told from a running game's.
#include <string>

// Returns false, writing nothing and leaving no temporary file, when anything
// fails (for example when the folder does not exist). Never creates folders.
bool replaceFile(const std::string& path, const std::string& bytes, bool durable = false);
// True when `suffix` is one this system's writes end a temporary name with:
// six letters or digits on POSIX, a count below 100 on Windows.
bool isTemporarySuffix(const std::string& suffix);
