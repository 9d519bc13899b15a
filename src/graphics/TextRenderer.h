#pragma once
// Draws and measures one line of text in the game's font: DejaVu Sans at
// 12 points, rendered solid. The font is opened for each use, not kept.
#include <SDL.h>

struct TextSize {
    int width = 0;
    int height = 0;
};

class TextRenderer {
  public:
    static constexpr const char* fontPath = "Resources/Assets/DejaVuSans.ttf";
    static constexpr int pointSize = 12;

    TextRenderer(SDL_Renderer* renderer, SDL_Color textColour);

    // Top-left corner at (x, y) truncated toward zero, at the text's own size.
    // Failures are printed and nothing is drawn.
    void drawText(const char* text, float x, float y) const;
    // The text's size in the game's font; 0 x 0 when the font cannot be opened.
    static TextSize measureText(const char* text);

    SDL_Renderer* renderer;
    SDL_Color textColour;
};
