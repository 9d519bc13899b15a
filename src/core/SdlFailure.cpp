#include "core/SdlFailure.h"

#include <SDL.h>

#include <cstdio>

void reportSdlFailure(const std::string& what) {
    std::printf("%s\n", what.c_str());
    std::printf("%s\n", SDL_GetError());
}
