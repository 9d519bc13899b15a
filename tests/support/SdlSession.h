#pragma once
// SDL's video subsystem (the dummy driver under test) and the font library,
// up for the life of one test.
#include <SDL.h>
#include <SDL_ttf.h>

class SdlSession {
  public:
    SdlSession() {
        SDL_Init(SDL_INIT_VIDEO);
        TTF_Init();
    }
    ~SdlSession() {
        TTF_Quit();
        SDL_Quit();
    }
    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};
