#include "Rng.h"

#include <cmath>

namespace {

// A strong 32-bit integer mix, so neighbouring lattice points look unrelated.
std::uint32_t hash32(std::uint32_t v) {
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

int wrap(int v, int n) {
    return ((v % n) + n) % n;
}

} // namespace

Rng::Rng(std::uint32_t seed) : state(seed == 0 ? 0x9e3779b9U : seed) {}

std::uint32_t Rng::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Rng::unit() {
    return static_cast<float>(next() >> 8) / 16777216.0f;
}

int Rng::range(int lo, int hi) {
    const auto span = static_cast<std::uint32_t>(hi - lo + 1);
    return lo + static_cast<int>(next() % span);
}

float latticeValue(int x, int y, std::uint32_t seed) {
    const std::uint32_t h = hash32(static_cast<std::uint32_t>(x) * 0x8da6b343U ^
                                   static_cast<std::uint32_t>(y) * 0xd8163841U ^ hash32(seed));
    return static_cast<float>(h >> 8) / 16777216.0f;
}

float tiledNoise(float x, float y, int cell, int period, std::uint32_t seed) {
    const int cells = period / cell;
    const float gx = x / static_cast<float>(cell);
    const float gy = y / static_cast<float>(cell);
    const int x0 = static_cast<int>(std::floor(gx));
    const int y0 = static_cast<int>(std::floor(gy));
    const float tx = smooth(gx - static_cast<float>(x0));
    const float ty = smooth(gy - static_cast<float>(y0));
    auto corner = [&](int dx, int dy) {
        return latticeValue(wrap(x0 + dx, cells), wrap(y0 + dy, cells), seed);
    };
    const float top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * tx;
    const float bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * tx;
    return top + (bottom - top) * ty;
}
