#pragma once
// Pixel colours, their arithmetic, and the picture the painters fill in.
#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

inline bool operator==(Rgb a, Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The game's loader turns exactly this colour into transparency.
constexpr Rgb transparent{255, 0, 255};

// True for colours close enough to the transparent key to be mistaken for it
// by eye, which the painters must never produce on purpose.
bool nearTransparent(Rgb c);

// Linear blend: t = 0 gives a, t = 1 gives b.
Rgb mix(Rgb a, Rgb b, float t);

// Multiplies every channel by factor, clamped to 0..255.
Rgb scale(Rgb c, float factor);

// Adds the same offset to every channel, clamped to 0..255.
Rgb lighten(Rgb c, int amount);

class Image {
  public:
    Image(int width, int height, Rgb fill);

    Rgb at(int x, int y) const { return pixels[index(x, y)]; }
    void set(int x, int y, Rgb c) { pixels[index(x, y)] = c; }

    const int width;
    const int height;

  private:
    // Throws std::out_of_range for a pixel outside the picture: a painter bug.
    std::size_t index(int x, int y) const;

    std::vector<Rgb> pixels;
};
