#pragma once
// One menu entry: Button.bmp stretched to fit a one-line label, drawn centred
// on a point, with an inclusive hit box. Selection and its green tint belong
// to the owning menu.
#include "graphics/Sprite.h"
#include "graphics/TextRenderer.h"

#include <memory>
#include <string>

class Button {
  public:
    static constexpr const char* bitmapPath = "Resources/Assets/Button.bmp";

    Button(SDL_Renderer* renderer, TextRenderer& textRenderer, const char* label, float x, float y);
    virtual ~Button() = default;
    Button(const Button&) = delete;
    Button& operator=(const Button&) = delete;

    // True when the point lies in the background's box, edges included.
    virtual bool isMouseOver(float mouseX, float mouseY);
    virtual void render();
    // Changes the text only: the background and the measured size stay.
    void setLabel(const char* text);

    SDL_Renderer* renderer;
    TextRenderer& textRenderer;
    std::unique_ptr<Sprite> sprite;
    float x;
    float y;
    float labelWidth = 0.0f;
    float labelHeight = 0.0f;
    std::string label;
    int isSlider = 0;
};
