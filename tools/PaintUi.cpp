// Menu pieces: the button background, the slider knob and the particle dot.
#include "Painters.h"

#include <algorithm>
#include <cmath>

namespace {

// Signed distance from the centre of pixel (x, y) to the edge of a w x h
// rectangle with rounded corners: negative inside, positive outside.
float roundedRectDistance(int x, int y, int w, int h, float radius) {
    const float px = std::fabs(static_cast<float>(x) + 0.5f - static_cast<float>(w) * 0.5f);
    const float py = std::fabs(static_cast<float>(y) + 0.5f - static_cast<float>(h) * 0.5f);
    const float qx = px - (static_cast<float>(w) * 0.5f - radius);
    const float qy = py - (static_cast<float>(h) * 0.5f - radius);
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    const float inside = std::min(std::max(qx, qy), 0.0f);
    return outside + inside - radius;
}

// Colours of one bevelled panel. Light falls from the top left.
struct PanelStyle {
    float radius = 0.0f;
    Rgb outline;
    Rgb highlight; // rim facing the light
    Rgb shadow;    // rim facing away
    Rgb top;       // face colour at the top edge
    Rgb bottom;    // face colour at the bottom edge
};

// How much a rim pixel faces the light: +1 top-left, -1 bottom-right.
float facingLight(int x, int y, int w, int h) {
    const float nx = (static_cast<float>(x) + 0.5f - static_cast<float>(w) * 0.5f) /
                     (static_cast<float>(w) * 0.5f);
    const float ny = (static_cast<float>(y) + 0.5f - static_cast<float>(h) * 0.5f) /
                     (static_cast<float>(h) * 0.5f);
    // The vertical term dominates so the long top and bottom rims read clearly
    // even after the game stretches the panel sideways.
    return std::clamp(-(0.45f * nx + 1.0f * ny) * 1.6f, -1.0f, 1.0f);
}

// A rounded panel: dark outline, one-pixel bevel rim, face with a vertical
// gradient. Nothing varies along x inside the face, so horizontal stretching
// keeps it clean.
Image paintPanel(int w, int h, const PanelStyle& style) {
    Image img(w, h, transparent);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float d = roundedRectDistance(x, y, w, h, style.radius);
            if (d > 0.0f) {
                continue;
            }
            const float depth = -d;
            const float t = static_cast<float>(y) / static_cast<float>(h - 1);
            const Rgb face = mix(style.top, style.bottom, t);
            if (depth < 1.0f) {
                img.set(x, y, style.outline);
            } else if (depth < 2.0f) {
                const float light = facingLight(x, y, w, h);
                img.set(x, y,
                        light >= 0 ? mix(face, style.highlight, light)
                                   : mix(face, style.shadow, -light));
            } else {
                img.set(x, y, face);
            }
        }
    }
    return img;
}

} // namespace

Image paintButton() {
    // 48 px wide so that every label the menus use stretches it rather than
    // shrinking it, which would drop rim columns. Grey-blue so both the plain
    // and the green-tinted panel stay dark enough under white text.
    const PanelStyle style{5.0f,
                           Rgb{26, 30, 42},
                           Rgb{196, 208, 226},
                           Rgb{52, 58, 76},
                           Rgb{122, 134, 156},
                           Rgb{84, 94, 116}};
    Image img = paintPanel(48, 32, style);
    // A soft sheen band just under the top rim gives the face some volume.
    for (int x = 0; x < img.width; ++x) {
        for (int y = 2; y < 7; ++y) {
            const Rgb c = img.at(x, y);
            if (roundedRectDistance(x, y, img.width, img.height, style.radius) < -2.0f) {
                img.set(x, y, lighten(c, 18 - 3 * (y - 2)));
            }
        }
    }
    return img;
}

Image paintSliderKnob() {
    const int w = 12;
    const int h = 24;
    const PanelStyle style{3.5f,
                           Rgb{34, 28, 22},
                           Rgb{255, 244, 200},
                           Rgb{132, 96, 40},
                           Rgb{238, 204, 112},
                           Rgb{186, 138, 58}};
    Image img = paintPanel(w, h, style);
    // Three engraved grip lines across the middle: dark groove, light lip below.
    for (int groove = 0; groove < 3; ++groove) {
        const int y = 8 + groove * 3;
        for (int x = 3; x < w - 3; ++x) {
            img.set(x, y, Rgb{120, 86, 36});
            img.set(x, y + 1, lighten(img.at(x, y + 1), 40));
        }
    }
    return img;
}

Image paintParticle() {
    const int size = 8;
    Image img(size, size, transparent);
    const Rgb core{255, 253, 236};
    const Rgb rim{250, 196, 96};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - size * 0.5f;
            const float dy = static_cast<float>(y) + 0.5f - size * 0.5f;
            const float r = std::hypot(dx, dy) / (size * 0.5f);
            if (r <= 1.0f) {
                img.set(x, y, mix(core, rim, r * r));
            }
        }
    }
    return img;
}
