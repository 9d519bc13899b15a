#pragma once
// The main menu drawn with SDL calls alone: each entry's background stretched
// to its label plus 16 pixels either side and centred on the entry's point,
// then the label centred on it, through a font opened for that label.
#include "BareSdl.h"

class BareMainMenu {
  public:
    BareMainMenu(SDL_Renderer* renderer, int windowWidth, int windowHeight);

    void draw() const;

  private:
    struct Entry {
        const char* label;
        float heightFactor;
        BareBitmap background;
        SDL_Rect backgroundBox;
        SDL_Point labelCorner;
    };

    SDL_Renderer* renderer;
    Entry entries[4] = {{"Continue", 0.6f, {}, {}, {}},
                        {"New Game", 0.7f, {}, {}, {}},
                        {"Options", 0.8f, {}, {}, {}},
                        {"Quit", 0.9f, {}, {}, {}}};
};
