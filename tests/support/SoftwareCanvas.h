#pragma once
// A software renderer drawing into a plain surface, so tests can read back
// exactly which pixels a draw touched.
#include "core/SdlHandles.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <ostream>

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};

// Colours and boxes print their values, so a failed check shows both sides.
inline std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "Rgb{" << int{colour.r} << ", " << int{colour.g} << ", " << int{colour.b} << "}";
}
inline bool operator==(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}
inline std::ostream& operator<<(std::ostream& out, const SDL_Rect& box) {
    return out << "SDL_Rect{" << box.x << ", " << box.y << ", " << box.w << ", " << box.h << "}";
}

class SoftwareCanvas {
  public:
    SoftwareCanvas(int width, int height);
    ~SoftwareCanvas() = default;
    SoftwareCanvas(const SoftwareCanvas&) = delete;
    SoftwareCanvas& operator=(const SoftwareCanvas&) = delete;

    SDL_Renderer* renderer() const { return softwareRenderer.get(); }
    // Fills the canvas with one colour.
    void clear(Rgb colour = {}) const;
    Rgb pixel(int x, int y) const;
    // The smallest box holding every pixel that differs from `background`;
    // w and h are 0 when there is none.
    SDL_Rect paintedBox(Rgb background = {}) const;

  private:
    SurfaceHandle surface;
    // Declared after the surface it draws into, so it goes first.
    RendererHandle softwareRenderer;
};

// Writes a 24-bit BMP of the given size filled by `colourAt(x, y)`.
template <typename ColourAt>
void writeBitmap(const char* path, int width, int height, ColourAt colourAt) {
    const SurfaceHandle image(
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colourAt(x, y);
            auto* p = static_cast<uint8_t*>(image->pixels) +
                      static_cast<ptrdiff_t>(y) * image->pitch + static_cast<ptrdiff_t>(x) * 3;
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
    SDL_SaveBMP(image.get(), path);
}
