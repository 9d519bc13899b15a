#pragma once
// Reproducible randomness for the painters: a seeded generator and smooth,
// tileable value noise.
#include <cstdint>

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
    std::uint32_t state;
};

// Hash of a lattice point to [0, 1); the same inputs always give the same value.
float latticeValue(int x, int y, std::uint32_t seed);

// Smooth value noise in [0, 1) that repeats every `period` pixels in x and y.
// `cell` must divide `period` so the lattice wraps without a seam.
float tiledNoise(float x, float y, int cell, int period, std::uint32_t seed);
