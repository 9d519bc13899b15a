#pragma once
// What the file replacer asks of a folder and its files beyond POSIX, which
// each system answers in its own way.
#include <string>

// Puts the open file's bytes where they survive the machine losing power;
// false when that failed.
bool syncFile(int fd);
// True when the folder is append-only or immutable: files may not be renamed
// or removed there, so a temporary file could never be taken away again.
bool keepsEveryName(const std::string& folder);
// Called after a file in the folder was replaced; with `durable` the change
// must survive the machine losing power.
void folderChanged(const std::string& folder, bool durable);
