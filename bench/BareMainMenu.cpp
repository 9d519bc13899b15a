#include "BareMainMenu.h"

BareMainMenu::BareMainMenu(SDL_Renderer* renderer, int windowWidth, int windowHeight)
    : renderer(renderer) {
    for (Entry& entry : entries) {
        // Each entry its own copy of the bitmap, as each of the game's buttons.
        entry.background = loadKeyedBitmap(renderer, "Resources/Assets/Button.bmp");
        const SDL_Point label = measureBareText(entry.label);
        const float x = 0.5f * static_cast<float>(windowWidth);
        const float y = entry.heightFactor * static_cast<float>(windowHeight);
        const int stretched = label.x + 32;
        const int height = entry.background.height;
        entry.backgroundBox =
            SDL_Rect{static_cast<int>(x - static_cast<float>(stretched) / 2.0f),
                     static_cast<int>(y - static_cast<float>(height) / 2.0f), stretched, height};
        entry.labelCorner = SDL_Point{static_cast<int>(x - static_cast<float>(label.x) / 2.0f),
                                      static_cast<int>(y - static_cast<float>(label.y) / 2.0f)};
    }
}

void BareMainMenu::draw() const {
    for (const Entry& entry : entries) {
        SDL_RenderCopy(renderer, entry.background.texture.get(), nullptr, &entry.backgroundBox);
        drawBareText(renderer, entry.label, entry.labelCorner.x, entry.labelCorner.y);
    }
}
