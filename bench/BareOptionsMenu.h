#pragma once
// The options menu drawn with SDL calls alone, every frame doing what the
// game's does: each of the four captions measured and drawn through a font
// opened for each, then the six controls, each its own background bitmap
// stretched and centred, its label centred as measured for the text it was
// built with, and on the two sliders the knob at the stored volume.
#include "BareSdl.h"
#include "settings/Settings.h"

#include <string>
#include <vector>

class BareOptionsMenu {
  public:
    // Lays the menu out for the settings' window size, volumes and full-screen flag.
    BareOptionsMenu(SDL_Renderer* renderer, const Settings& settings);

    void draw() const;

  private:
    struct Caption {
        const char* text;
        float row;
    };
    struct Control {
        BareBitmap background;
        SDL_Rect backgroundBox{};
        std::string label;
        SDL_Point labelCorner{};
        BareBitmap knob;
        SDL_Rect knobBox{};
    };

    void addButton(const char* measuredLabel, std::string shownLabel, float x, float y);
    void addSlider(uint32_t volume, float x, float y);

    SDL_Renderer* renderer;
    float captionX;
    float windowHeight;
    Caption captions[4] = {
        {"Music Volume", 0.5f}, {"FX Volume", 0.6f}, {"Resolution", 0.7f}, {"FullScreen", 0.8f}};
    std::vector<Control> controls;
};
