#include "graphics/Sprite.h"

#include "core/Numbers.h"

#include <cstdio>

void Sprite::load(SDL_Renderer* targetRenderer, const char* path, float clipX, float clipY,
                  float clipW, float clipH) {
    width = 1;
    height = 1;
    renderer = targetRenderer;
    release();
    surface.reset(SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1));
    if (!surface) {
        std::printf("Surface for bitmap '%s' not loaded!\n", path);
        std::printf("%s\n", SDL_GetError());
        return;
    }
    sourceRect = SDL_Rect{};
    // Position and size count only when both of their values are given.
    if (clipX > -1.0f && clipY > -1.0f) {
        sourceRect.x = truncateToInt(clipX);
        sourceRect.y = truncateToInt(clipY);
    }
    if (clipW > -1.0f && clipH > -1.0f) {
        sourceRect.w = truncateToInt(clipW);
        sourceRect.h = truncateToInt(clipH);
    }
    SDL_SetColorKey(surface.get(), SDL_TRUE, SDL_MapRGB(surface->format, 255, 0, 255));
    texture.reset(SDL_CreateTextureFromSurface(renderer, surface.get()));
    if (!texture) {
        std::printf("Texture for bitmap '%s' not loaded!\n", path);
        std::printf("%s\n", SDL_GetError());
    }
    width = surface->w;
    height = surface->h;
}

void Sprite::load(SDL_Renderer* targetRenderer, const char* path) {
    load(targetRenderer, path, -1.0f, -1.0f, -1.0f, -1.0f);
    useSourceRect = false;
}

void Sprite::draw(float x, float y) const {
    if (!texture) {
        return;
    }
    const SDL_Rect destination{truncateToInt(x), truncateToInt(y), width, height};
    SDL_RenderCopy(renderer, texture.get(), useSourceRect ? &sourceRect : nullptr, &destination);
}

void Sprite::release() {
    texture.reset();
    surface.reset();
}
