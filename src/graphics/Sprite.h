#pragma once
// A BMP picture as a surface and a texture for one renderer, magenta
// (255, 0, 255) transparent, drawn by one rule: top-left corner truncated
// toward zero, scaled to width x height, optionally from a source rectangle.
#include "core/Numbers.h"
#include "core/SdlHandles.h"

#include <SDL.h>

#include <cstdint>

class Sprite {
  public:
    // No picture of the game comes near these; a bitmap whose header claims
    // more is refused before anything is allocated for it.
    static constexpr int64_t maxSide = 16384;
    static constexpr int64_t maxPixels = int64_t{64} << 20;

    // A bitmap file as a surface with magenta as its colour key, its header
    // checked first; null, with SDL's error set, when it cannot be loaded.
    static SurfaceHandle loadBitmap(const char* path);
    // Clip values of -1 mean "none". Failures are printed; the sprite then
    // simply draws nothing.
    void load(SDL_Renderer* targetRenderer, const char* path, float clipX, float clipY, float clipW,
              float clipH);
    // The whole bitmap, no source rectangle.
    void load(SDL_Renderer* targetRenderer, const char* path);
    // Defined below, in this header: a map's frame draws its tile once per
    // cell, and a call of its own for each would cost the frame several per
    // cent more than the SDL calls themselves.
    void draw(float x, float y) const;
    // The whole pixel a position is drawn at, as a float: truncated toward zero.
    static float wholePixel(float position) { return static_cast<float>(truncateToInt(position)); }
    // Draws with the top-left corner at whole pixels already worked out by
    // wholePixel(): a map works out its columns' once a frame, not once a cell.
    void drawAtWholePixels(float left, float top) const;
    // Frees the texture, then the surface.
    void release();

    Sprite() = default;
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;
    ~Sprite() { release(); }

    SurfaceHandle surface;
    TextureHandle texture;
    SDL_Renderer* renderer = nullptr;
    int width = 0;
    int height = 0;
    SDL_Rect sourceRect{};
    bool useSourceRect = false;
};

inline void Sprite::draw(float x, float y) const {
    drawAtWholePixels(wholePixel(x), wholePixel(y));
}

inline void Sprite::drawAtWholePixels(float left, float top) const {
    if (!texture) {
        return;
    }
    // The whole-pixel corner handed over as floats, which is what SDL_RenderCopy
    // would make of an SDL_Rect itself; building that SDL_Rect here costs a
    // large map's frame a fifth more (its fields are stored piecemeal and read
    // back whole).
    const SDL_FRect destination{left, top, static_cast<float>(width), static_cast<float>(height)};
    SDL_RenderCopyF(renderer, texture.get(), useSourceRect ? &sourceRect : nullptr, &destination);
}
