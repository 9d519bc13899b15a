#include "support/SoftwareCanvas.h"

#include <algorithm>

SoftwareCanvas::SoftwareCanvas(int width, int height)
    : surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888)),
      softwareRenderer(SDL_CreateSoftwareRenderer(surface.get())) {
    clear();
}

void SoftwareCanvas::clear(Rgb colour) const {
    SDL_SetRenderDrawColor(softwareRenderer.get(), colour.r, colour.g, colour.b, 255);
    SDL_RenderClear(softwareRenderer.get());
    SDL_SetRenderDrawColor(softwareRenderer.get(), 0, 0, 0, 255);
}

Rgb SoftwareCanvas::pixel(int x, int y) const {
    const auto* row =
        static_cast<const uint8_t*>(surface->pixels) + static_cast<ptrdiff_t>(y) * surface->pitch;
    Uint32 value = 0;
    std::copy_n(row + static_cast<ptrdiff_t>(x) * 4, 4, reinterpret_cast<uint8_t*>(&value));
    Rgb colour;
    SDL_GetRGB(value, surface->format, &colour.r, &colour.g, &colour.b);
    return colour;
}

SDL_Rect SoftwareCanvas::paintedBox(Rgb background) const {
    int left = surface->w;
    int top = surface->h;
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < surface->h; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            if (!(pixel(x, y) == background)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return SDL_Rect{0, 0, 0, 0};
    }
    return SDL_Rect{left, top, right - left + 1, bottom - top + 1};
}
