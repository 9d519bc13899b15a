#pragma once
// Splits a text file's bytes into lines the way the game's files are read:
// LF or CR LF ends a line, a lone CR is an ordinary byte, and a last line
// without an LF counts when it is not empty (and keeps a trailing CR).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// At most `maxLines` lines, the first ones; the rest of the text is not looked at.
std::vector<std::string_view> splitLines(std::string_view text, size_t maxLines = SIZE_MAX);
