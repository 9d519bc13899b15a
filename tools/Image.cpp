#include "Image.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

std::uint8_t clampChannel(float v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

bool nearTransparent(Rgb c) {
    // Manhattan distance to the key; real art colours sit far beyond this.
    const int distance = (255 - c.r) + c.g + (255 - c.b);
    return !(c == transparent) && distance < 192;
}

Rgb mix(Rgb a, Rgb b, float t) {
    return {clampChannel(static_cast<float>(a.r) + static_cast<float>(b.r - a.r) * t),
            clampChannel(static_cast<float>(a.g) + static_cast<float>(b.g - a.g) * t),
            clampChannel(static_cast<float>(a.b) + static_cast<float>(b.b - a.b) * t)};
}

Rgb scale(Rgb c, float factor) {
    return {clampChannel(static_cast<float>(c.r) * factor),
            clampChannel(static_cast<float>(c.g) * factor),
            clampChannel(static_cast<float>(c.b) * factor)};
}

Rgb lighten(Rgb c, int amount) {
    return {clampChannel(static_cast<float>(c.r + amount)),
            clampChannel(static_cast<float>(c.g + amount)),
            clampChannel(static_cast<float>(c.b + amount))};
}

Image::Image(int width, int height, Rgb fill)
    : width(width), height(height),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

std::size_t Image::index(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        // A painter bug; better to stop than to write a wrong file.
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                ") lies outside the image");
    }
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}
