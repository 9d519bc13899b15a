#pragma once
// Reads the game's files so that nothing a player's folder holds can hang or
// swamp it: only a regular file (after following links) is read, a FIFO or a
// device counts as missing, and at most `limit` bytes are taken.
#include <cstddef>
#include <cstdint>
#include <string>

// What a read found. A file that is there but cannot be read (another program
// holds it past the wait, or the system refuses it) is told apart from one
// that is missing, so that the game never writes defaults over it.
enum class ReadResult { Read, Missing, Unreadable };

// The file's first `limit` bytes (all of it when shorter) and Read; anything
// else leaves `bytes` empty. A path that is not a regular file is Missing.
ReadResult readFile(const std::string& path, std::string& bytes, size_t limit);
// True when the path leads to a regular file, whether or not it can be read
// at this moment.
bool isRegularFile(const std::string& path);
// True when the path leads to something that is not a regular file (a
// folder, a FIFO, a device); false when it is one or does not exist.
bool isSpecialFile(const std::string& path);
// The size in bytes of what the path leads to, or 0 when it cannot be read.
int64_t fileSize(const std::string& path);
