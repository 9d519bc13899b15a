#include "BareSdl.h"

#include <cstdio>
#include <cstdlib>

namespace {
constexpr const char* fontPath = "Resources/Assets/DejaVuSans.ttf";
constexpr int pointSize = 12;
constexpr SDL_Color white{255, 255, 255, 0};
} // namespace

BareBitmap loadKeyedBitmap(SDL_Renderer* renderer, const char* path) {
    const SurfaceHandle surface(SDL_LoadBMP(path));
    if (!surface) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, SDL_GetError());
        std::abort();
    }
    SDL_SetColorKey(surface.get(), SDL_TRUE, SDL_MapRGB(surface->format, 255, 0, 255));
    return BareBitmap{TextureHandle(SDL_CreateTextureFromSurface(renderer, surface.get())),
                      surface->w, surface->h};
}

SDL_Point measureBareText(const char* text) {
    const FontHandle font(TTF_OpenFont(fontPath, pointSize));
    SDL_Point size{0, 0};
    TTF_SizeText(font.get(), text, &size.x, &size.y);
    return size;
}

void drawBareText(SDL_Renderer* renderer, const char* text, int x, int y) {
    const FontHandle font(TTF_OpenFont(fontPath, pointSize));
    const SurfaceHandle surface(TTF_RenderText_Solid(font.get(), text, white));
    const TextureHandle texture(SDL_CreateTextureFromSurface(renderer, surface.get()));
    const SDL_Rect destination{x, y, surface->w, surface->h};
    SDL_RenderCopy(renderer, texture.get(), nullptr, &destination);
}
