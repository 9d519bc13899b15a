// The desktop icon: the player, facing the viewer, on the dungeon floor inside
// a rounded frame. Built from the same sheet and tile the game draws, so the
// icon shows exactly the figure a player will walk around with.
#include "Painters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace {

constexpr int frameWidth = 25; // one frame of the player's sheet
constexpr int frameHeight = 32;
constexpr int downRow = 3; // the sheet's row for facing down, towards the viewer

struct Box {
    int x0, y0, x1, y1; // inclusive
};

// The painted part of one frame of the sheet.
Box opaqueBox(const Image& sheet, int left, int top) {
    Box box{frameWidth, frameHeight, -1, -1};
    for (int y = 0; y < frameHeight; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            if (!(sheet.at(left + x, top + y) == transparent)) {
                box = {std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x),
                       std::max(box.y1, y)};
            }
        }
    }
    return box;
}

// Same rounded-rectangle distance as the menu panels: negative inside.
float roundedSquareDistance(float px, float py, float size, float radius) {
    const float half = size * 0.5f;
    const float qx = std::fabs(px - half) - (half - radius);
    const float qy = std::fabs(py - half) - (half - radius);
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    const float inside = std::min(std::max(qx, qy), 0.0f);
    return outside + inside - radius;
}

// The floor tile shrunk (or grown) to `size`, each pixel the mean of the tile
// pixels it covers, so small icons keep the stones' tone without sparkle.
Rgb floorAt(const Image& tile, int x, int y, int size) {
    const int n = tile.width;
    const int tx0 = x * n / size;
    const int ty0 = y * n / size;
    const int tx1 = std::max(tx0 + 1, (x + 1) * n / size);
    const int ty1 = std::max(ty0 + 1, (y + 1) * n / size);
    float r = 0;
    float g = 0;
    float b = 0;
    for (int ty = ty0; ty < ty1; ++ty) {
        for (int tx = tx0; tx < tx1; ++tx) {
            const Rgb c = tile.at(tx, ty);
            r += static_cast<float>(c.r);
            g += static_cast<float>(c.g);
            b += static_cast<float>(c.b);
        }
    }
    const auto count = static_cast<float>((tx1 - tx0) * (ty1 - ty0));
    auto mean = [count](float sum) { return static_cast<std::uint8_t>(std::lround(sum / count)); };
    return Rgb{mean(r), mean(g), mean(b)};
}

// The icon at 32 pixels or more: the figure drawn in whole sprite pixels.
Image paintLargeIcon(int size) {
    const Image tile = paintFloorTile();
    const Image sheet = paintPlayerSheet();
    const int frameTop = downRow * frameHeight;
    const Box figure = opaqueBox(sheet, 0, frameTop);
    const int figureW = figure.x1 - figure.x0 + 1;
    const int figureH = figure.y1 - figure.y0 + 1;

    // Whole sprite pixels only, as large as fits inside the frame's rim.
    const int pixel = std::max(1, (size - 4) / figureH);
    const int left = (size - figureW * pixel) / 2 - figure.x0 * pixel;
    const int top = (size - figureH * pixel) / 2 - figure.y0 * pixel;
    const float feetX =
        static_cast<float>(left) +
        (static_cast<float>(figure.x0 + figure.x1 + 1) * 0.5f) * static_cast<float>(pixel);
    const auto feetY = static_cast<float>(top + (figure.y1 + 1) * pixel);

    const auto s = static_cast<float>(size);
    const float radius = s * 0.18f;
    const float rim = std::max(1.0f, s / 32.0f);
    Image icon(size, size, transparent);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            const float depth = -roundedSquareDistance(px, py, s, radius);
            if (depth <= 0.0f) {
                continue;
            }
            if (depth < rim) {
                icon.set(x, y, Rgb{26, 22, 30});
                continue;
            }
            // Torch light: bright round the figure, darker towards the corners.
            const float dx = (px - s * 0.5f) / (s * 0.5f);
            const float dy = (py - s * 0.5f) / (s * 0.5f);
            Rgb c = scale(floorAt(tile, x, y, size), 1.05f - 0.45f * (dx * dx + dy * dy));
            // A soft shadow under the boots.
            const float sx =
                (px - feetX) / (static_cast<float>(figureW) * 0.45f * static_cast<float>(pixel));
            const float sy = (py - feetY) / (1.6f * static_cast<float>(pixel));
            const float shadow = sx * sx + sy * sy;
            if (shadow < 1.0f) {
                c = scale(c, 0.55f + 0.45f * shadow);
            }
            // A thin lit edge just inside the rim, as on the menu panels.
            if (depth < rim * 2.0f) {
                c = mix(c, Rgb{196, 184, 160}, dy < 0 ? 0.5f : 0.15f);
            }
            icon.set(x, y, c);
        }
    }
    for (int y = figure.y0; y <= figure.y1; ++y) {
        for (int x = figure.x0; x <= figure.x1; ++x) {
            const Rgb c = sheet.at(x, frameTop + y);
            if (c == transparent) {
                continue;
            }
            for (int dy = 0; dy < pixel; ++dy) {
                for (int dx = 0; dx < pixel; ++dx) {
                    icon.set(left + x * pixel + dx, top + y * pixel + dy, c);
                }
            }
        }
    }
    return icon;
}

// `large` shrunk by `factor`: each pixel the mean of the painted pixels it
// covers, or clear where most of them are clear.
Image shrink(const Image& large, int factor) {
    const int size = large.width / factor;
    Image small(size, size, transparent);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int r = 0;
            int g = 0;
            int b = 0;
            int painted = 0;
            for (int dy = 0; dy < factor; ++dy) {
                for (int dx = 0; dx < factor; ++dx) {
                    const Rgb c = large.at(x * factor + dx, y * factor + dy);
                    if (!(c == transparent)) {
                        r += c.r;
                        g += c.g;
                        b += c.b;
                        ++painted;
                    }
                }
            }
            if (painted * 2 > factor * factor) {
                auto mean = [painted](int sum) { return static_cast<std::uint8_t>(sum / painted); };
                small.set(x, y, Rgb{mean(r), mean(g), mean(b)});
            }
        }
    }
    return small;
}

} // namespace

Image paintInstallerPicture() {
    constexpr int width = 164; // the size the installer's welcome and finish pages show
    constexpr int height = 314;
    constexpr int iconSize = 128;
    constexpr int iconTop = 48;
    const Image tile = paintFloorTile();
    const Image icon = paintLargeIcon(iconSize);
    constexpr int iconLeft = (width - iconSize) / 2;
    constexpr int lightX = width / 2; // the light's centre, the icon's
    constexpr int lightY = iconTop + iconSize / 2;
    Image picture(width, height, transparent);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // The icon on the floor it shows, lit round it and fading into the dark below.
            const float dx = static_cast<float>(x - lightX) / static_cast<float>(width);
            const float dy = static_cast<float>(y - lightY) / static_cast<float>(height);
            const float light = std::max(0.2f, 1.0f - 1.2f * (dx * dx) - 2.2f * (dy * dy));
            Rgb c = scale(tile.at(x % tile.width, y % tile.height), light);
            const int ix = x - iconLeft;
            const int iy = y - iconTop;
            if (ix >= 0 && ix < iconSize && iy >= 0 && iy < iconSize &&
                !(icon.at(ix, iy) == transparent)) {
                c = icon.at(ix, iy);
            }
            picture.set(x, y, c);
        }
    }
    return picture;
}

Image paintIcon(int size) {
    if (size < 16) {
        throw std::invalid_argument("no icon is painted under 16 pixels");
    }
    if (size >= 32) {
        return paintLargeIcon(size);
    }
    // Smaller ones are the figure at twice the size, shrunk: it has no room for
    // whole sprite pixels.
    return shrink(paintLargeIcon(size * 2), 2);
}
