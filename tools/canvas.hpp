// Pixel buffers, colour arithmetic, reproducible randomness and the BMP writer
// shared by the asset painters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace paint {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

inline bool operator==(Rgb a, Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The game's loader turns exactly this colour into transparency.
constexpr Rgb kTransparent{255, 0, 255};

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

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const { return pixels_[index(x, y)]; }
    void set(int x, int y, Rgb c) { pixels_[index(x, y)] = c; }

  private:
    std::size_t index(int x, int y) const;

    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// Small xorshift generator: seeded by hand so every run paints the same bytes.
class Rng {
  public:
    explicit Rng(std::uint32_t seed);
    std::uint32_t next();
    // Uniform in [0, 1).
    float unit();
    // Uniform in [lo, hi], both inclusive.
    int range(int lo, int hi);

  private:
    std::uint32_t state_;
};

// Hash of a lattice point to [0, 1); the same inputs always give the same value.
float latticeValue(int x, int y, std::uint32_t seed);

// Smooth value noise in [0, 1) that repeats every `period` pixels in x and y.
// `cell` must divide `period` so the lattice wraps without a seam.
float tiledNoise(float x, float y, int cell, int period, std::uint32_t seed);

// Writes a bottom-up 24-bit BMP. Returns false with a message in `error` when the
// image holds a colour too close to the key, or the file cannot be written.
bool writeBmp(const Image& image, const std::string& path, std::string& error);

// Writes an 8-bit RGBA PNG in which the transparent key becomes fully clear
// pixels; refuses near-key colours as writeBmp does.
bool writePng(const Image& image, const std::string& path, std::string& error);

} // namespace paint
