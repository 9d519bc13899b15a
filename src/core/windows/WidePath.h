#pragma once
// Windows takes file names in UTF-16; the game keeps them in UTF-8.
#include <string>

// The path in UTF-16, its slashes as they are (Windows takes both kinds);
// empty when the bytes are not UTF-8.
std::wstring widePath(const std::string& path);
