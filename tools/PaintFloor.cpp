// The dungeon floor: worn flagstones laid in three staggered courses.
//
// Everything is computed on a 128 x 128 torus: stones that run off one edge
// continue on the opposite edge, and the noise lattices wrap, so a grid of
// tiles shows no seams.
#include "Painters.h"
#include "Rng.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int tileSize = 128;

// One course of stones: its rows and the x positions of the joints between
// stones. The last stone runs from the last joint across the right edge to the
// first joint.
struct Course {
    int top;
    int bottom; // exclusive
    std::vector<int> joints;
};

const std::array<Course, 3> stoneCourses{{
    {0, 42, {6, 50, 92}},
    {42, 86, {28, 76}},
    {86, tileSize, {14, 60, 104}},
}};

struct Stone {
    int id;     // distinct per stone, used to vary colour
    float left; // unwrapped, may exceed tileSize
    float right;
    float top;
    float bottom;
};

struct Hit {
    Stone stone;
    float x; // pixel x unwrapped into the stone's range
};

Hit stoneAt(int x, int y) {
    int id = 0;
    for (const Course& course : stoneCourses) {
        const int n = static_cast<int>(course.joints.size());
        if (y < course.top || y >= course.bottom) {
            id += n;
            continue;
        }
        for (int i = 0; i < n; ++i) {
            const int left = course.joints[static_cast<std::size_t>(i)];
            int right = course.joints[static_cast<std::size_t>((i + 1) % n)];
            if (right <= left) {
                right += tileSize;
            }
            const int ux = x < left ? x + tileSize : x;
            if (ux >= left && ux < right) {
                return {{id + i, static_cast<float>(left), static_cast<float>(right),
                         static_cast<float>(course.top), static_cast<float>(course.bottom)},
                        static_cast<float>(ux)};
            }
        }
    }
    return {{-1, 0, 0, 0, 0}, 0}; // unreachable: the courses cover every row and column
}

// Signed distance to the stone's worn edge (negative inside). One pixel of
// mortar on each side of a joint, rounded corners.
float edgeDistance(const Stone& s, float px, float py) {
    const float inset = 1.0f;
    const float radius = 4.0f;
    const float cx = (s.left + s.right) * 0.5f;
    const float cy = (s.top + s.bottom) * 0.5f;
    const float hx = (s.right - s.left) * 0.5f - inset;
    const float hy = (s.bottom - s.top) * 0.5f - inset;
    const float qx = std::fabs(px - cx) - (hx - radius);
    const float qy = std::fabs(py - cy) - (hy - radius);
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) -
           radius;
}

// Colour of each stone: slightly different greys, some warmer, some cooler.
Rgb stoneBase(int id) {
    Rng rng(0x51a7e000U + static_cast<std::uint32_t>(id) * 7919U);
    const Rgb warm{138, 126, 108};
    const Rgb cool{116, 120, 122};
    const Rgb base = mix(warm, cool, 0.15f + 0.7f * rng.unit());
    return scale(base, 0.9f + 0.14f * rng.unit());
}

// Sum of two wrapping noise octaves, centred on zero, roughly -1..1.
float mottling(float x, float y) {
    return (tiledNoise(x, y, 32, tileSize, 11) - 0.5f) * 1.2f +
           (tiledNoise(x, y, 8, tileSize, 12) - 0.5f) * 0.8f;
}

Rgb shadeStone(const Hit& hit, int x, int y) {
    const float px = hit.x + 0.5f;
    const float py = static_cast<float>(y) + 0.5f;
    // Chip the edges a little so the stones look hand-cut, not machined.
    const float chip =
        (tiledNoise(static_cast<float>(x), static_cast<float>(y), 8, tileSize, 21) - 0.5f) * 1.4f;
    const float d = edgeDistance(hit.stone, px, py) + chip;

    const float grain = (latticeValue(x, y, 31) - 0.5f) * 10.0f;
    if (d > 0.0f) {
        // Mortar: dark, with its own grain; darkest right against the stones.
        const Rgb mortar{62, 56, 50};
        return lighten(scale(mortar, 0.9f + 0.25f * std::min(d, 1.5f)), static_cast<int>(grain));
    }

    const float depth = -d;
    Rgb c = scale(stoneBase(hit.stone.id),
                  1.0f + 0.13f * mottling(static_cast<float>(x), static_cast<float>(y)));
    // Edges sink slightly into the mortar bed.
    c = scale(c, 0.9f + 0.1f * std::min(depth / 6.0f, 1.0f));

    // Bevel: the rim facing the top-left light is bright, the other dark.
    if (depth < 3.0f) {
        const float ex =
            edgeDistance(hit.stone, px + 1.0f, py) - edgeDistance(hit.stone, px - 1.0f, py);
        const float ey =
            edgeDistance(hit.stone, px, py + 1.0f) - edgeDistance(hit.stone, px, py - 1.0f);
        const float len = std::max(std::hypot(ex, ey), 1e-3f);
        const float light = -(0.55f * ex + 0.83f * ey) / len;
        const float strength = 1.0f - depth / 3.0f;
        c = scale(c, 1.0f + 0.32f * light * strength);
    }
    return lighten(c, static_cast<int>(grain));
}

int wrapTile(int v) {
    return ((v % tileSize) + tileSize) % tileSize;
}

// True inside a stone's face, clear of its bevelled rim and of the mortar.
bool onStoneFace(int x, int y) {
    const Hit hit = stoneAt(x, y);
    return edgeDistance(hit.stone, hit.x + 0.5f, static_cast<float>(y) + 0.5f) < -2.0f;
}

// A hairline crack wandering across one stone: a dark groove with a lit lip
// below it, as if light catches the lower edge.
void crack(Image& img, int startX, int startY, int length, std::uint32_t seed) {
    Rng rng(seed);
    int x = startX;
    int y = startY;
    for (int i = 0; i < length; ++i) {
        const int wx = wrapTile(x);
        const int wy = wrapTile(y);
        const int below = wrapTile(y + 1);
        img.set(wx, wy, scale(img.at(wx, wy), 0.62f));
        img.set(wx, below, scale(img.at(wx, below), 1.1f));
        ++x;
        const int turn = rng.range(0, 5);
        if (turn == 0) {
            --y;
        } else if (turn == 1) {
            ++y;
        }
    }
}

// Scattered flecks: little pits and bright grains of quartz.
void flecks(Image& img) {
    Rng rng(0x5eed5U);
    for (int i = 0; i < 90; ++i) {
        const int x = rng.range(0, tileSize - 1);
        const int y = rng.range(0, tileSize - 1);
        const bool bright = rng.unit() < 0.4f;
        if (!onStoneFace(x, y)) {
            continue; // keep the mortar lines and rims clean
        }
        img.set(x, y, scale(img.at(x, y), bright ? 1.18f : 0.78f));
    }
}

} // namespace

Image paintFloorTile() {
    Image img(tileSize, tileSize, Rgb{});
    for (int y = 0; y < tileSize; ++y) {
        for (int x = 0; x < tileSize; ++x) {
            img.set(x, y, shadeStone(stoneAt(x, y), x, y));
        }
    }
    crack(img, 58, 66, 14, 0xc4acU);
    crack(img, 112, 20, 9, 0xc4adU);
    flecks(img);
    return img;
}
