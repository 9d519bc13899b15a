#pragma once
// The few SDL calls that the bare reference frames are made of: a bitmap
// loaded with magenta transparent, and a line of white text measured or drawn
// through a font opened for that one use, as the game uses its font.
#include "core/SdlHandles.h"

struct BareBitmap {
    TextureHandle texture;
    int width = 0;
    int height = 0;
};

// Stops the run when the bitmap cannot be loaded: a reference without its
// picture would time nothing.
BareBitmap loadKeyedBitmap(SDL_Renderer* renderer, const char* path);

// The text's size in the game's font: width in x, height in y.
SDL_Point measureBareText(const char* text);

// The text at its own size, top-left corner at (x, y).
void drawBareText(SDL_Renderer* renderer, const char* text, int x, int y);
