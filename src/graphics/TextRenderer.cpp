#include "graphics/TextRenderer.h"

#include <SDL_ttf.h>

#include <cstdio>

TextRenderer::TextRenderer(SDL_Renderer* renderer, SDL_Color textColour)
    : renderer(renderer), textColour(textColour) {}

void TextRenderer::drawText(const char* text, float x, float y) const {
    TTF_Font* font = TTF_OpenFont(fontPath, pointSize);
    // A font that failed to open makes the render fail, which reports it.
    SDL_Surface* surface = TTF_RenderText_Solid(font, text, textColour);
    if (surface == nullptr) {
        std::printf("Surface for font not loaded!\n");
        std::printf("%s\n", SDL_GetError());
        TTF_CloseFont(font);
        return;
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    if (texture == nullptr) {
        std::printf("Texture for font not loaded!\n");
        std::printf("%s\n", SDL_GetError());
        SDL_FreeSurface(surface);
        TTF_CloseFont(font);
        return;
    }
    SDL_Rect destination{static_cast<int>(x), static_cast<int>(y), 0, 0};
    SDL_QueryTexture(texture, nullptr, nullptr, &destination.w, &destination.h);
    SDL_RenderCopy(renderer, texture, nullptr, &destination);
    SDL_DestroyTexture(texture);
    SDL_FreeSurface(surface);
    TTF_CloseFont(font);
}

TextSize TextRenderer::measureText(const char* text) {
    TextSize size;
    TTF_Font* font = TTF_OpenFont(fontPath, pointSize);
    if (font == nullptr) {
        return size;
    }
    if (TTF_SizeText(font, text, &size.width, &size.height) != 0) {
        size = TextSize{};
    }
    TTF_CloseFont(font);
    return size;
}
