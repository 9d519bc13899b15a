#pragma once
// A square all-floor map drawn with SDL calls alone: one copy of the whole
// floor bitmap per cell at a 128-pixel pitch, on screen or not, the map placed
// so that the player, standing on cell (1, 1), has his frame's corner at the
// window's centre; then his first walking-down frame, stretched to the
// sheet's size as the game draws it.
#include "BareSdl.h"

class BareMap {
  public:
    BareMap(SDL_Renderer* renderer, int size, int windowWidth, int windowHeight);

    void draw() const;

  private:
    static constexpr int pitch = 128;

    SDL_Renderer* renderer;
    int size;
    BareBitmap tiles;
    BareBitmap player;
    SDL_Point origin{};
    SDL_Rect playerSource{};
    SDL_Rect playerBox{};
};
