#include "canvas.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace paint {

namespace {

std::uint8_t clampChannel(float v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

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

void putLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void putLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    putLe16(out, v & 0xffff);
    putLe16(out, v >> 16);
}

} // namespace

bool nearTransparent(Rgb c) {
    // Manhattan distance to the key; real art colours sit far beyond this.
    const int distance = (255 - c.r) + c.g + (255 - c.b);
    return !(c == kTransparent) && distance < 192;
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
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

std::size_t Image::index(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        // A painter bug; better to stop than to write a wrong file.
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                ") lies outside the image");
    }
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
}

Rng::Rng(std::uint32_t seed) : state_(seed == 0 ? 0x9e3779b9U : seed) {}

std::uint32_t Rng::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
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

bool writeBmp(const Image& image, const std::string& path, std::string& error) {
    const int w = image.width();
    const int h = image.height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (nearTransparent(image.at(x, y))) {
                error = path + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                        ") is too close to the transparent magenta";
                return false;
            }
        }
    }

    // Every row of a BMP is padded to a multiple of four bytes.
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(w) * 3U + 3U) & ~3U;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(h);
    const std::uint32_t headerBytes = 14 + 40;

    std::vector<std::uint8_t> out;
    out.reserve(headerBytes + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    putLe32(out, headerBytes + pixelBytes); // file size
    putLe32(out, 0);                        // reserved
    putLe32(out, headerBytes);              // offset of the pixels
    putLe32(out, 40);                       // BITMAPINFOHEADER size
    putLe32(out, static_cast<std::uint32_t>(w));
    putLe32(out, static_cast<std::uint32_t>(h)); // positive: rows stored bottom-up
    putLe16(out, 1);                             // planes
    putLe16(out, 24);                            // bits per pixel
    putLe32(out, 0);                             // no compression
    putLe32(out, pixelBytes);
    putLe32(out, 2835); // 72 dpi, in pixels per metre
    putLe32(out, 2835);
    putLe32(out, 0); // no palette
    putLe32(out, 0);

    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = image.at(x, y);
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(w) * 3U; pad < rowBytes; ++pad) {
            out.push_back(0);
        }
    }

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file) {
        error = path + ": cannot write the file";
        return false;
    }
    return true;
}

} // namespace paint
