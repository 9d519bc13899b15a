#pragma once
// Owning handles for SDL and SDL_ttf objects: each kind is released by the
// one call that fits it, whenever its owner lets go. Owners whose release
// order matters reset their handles explicitly in that order.
#include <SDL.h>
#include <SDL_ttf.h>

#include <memory>

struct SdlDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};

using WindowHandle = std::unique_ptr<SDL_Window, SdlDeleter>;
using RendererHandle = std::unique_ptr<SDL_Renderer, SdlDeleter>;
using TextureHandle = std::unique_ptr<SDL_Texture, SdlDeleter>;
using SurfaceHandle = std::unique_ptr<SDL_Surface, SdlDeleter>;
using FontHandle = std::unique_ptr<TTF_Font, SdlDeleter>;
