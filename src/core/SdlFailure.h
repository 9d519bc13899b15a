#pragma once
// How a failed SDL or SDL_ttf call is reported on standard output: a line
// naming what failed, then SDL's own error text on a line of its own.
#include <string>

void reportSdlFailure(const std::string& what);
