#pragma once
// Splits a text file's bytes into lines the way the game's files are read:
// LF or CR LF ends a line, a lone CR is an ordinary byte, and a last line
// without an LF counts when it is not empty (and keeps a trailing CR).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// At most `maxLines` lines, the first ones; the rest of the text is not looked at.
std::vector<std::string_view> splitLines(std::string_view text, size_t maxLines = SIZE_MAX);

// The text a file's bytes hold, as an editor may have saved it: a leading
// UTF-8 byte-order mark is skipped, and UTF-16 with its mark (either byte
// order) is read as the UTF-8 it stands for, into `converted` (an unpaired
// surrogate or an odd last byte becoming U+FFFD). Anything else is the bytes
// themselves.
std::string_view textOf(std::string_view bytes, std::string& converted);
