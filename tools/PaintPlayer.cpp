// The player: a small adventurer in a green tunic, four facings, four walk frames each.
//
// Frames are painted with palette letters ('.' is see-through) and turned into
// colours at the end, so the body parts stay readable as little pictures here.
// The game shows each 25 x 32 frame four times larger, so every pixel counts.
#include "Painters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int frameWidth = 25;
constexpr int frameHeight = 32;
constexpr char clearLetter = '.';

using Frame = std::array<std::array<char, frameWidth>, frameHeight>;
using Pattern = std::vector<const char*>;

struct PaletteEntry {
    char letter = clearLetter;
    Rgb colour;
};

const std::array<PaletteEntry, 17> paletteColours{{
    {clearLetter, transparent},
    {'o', {40, 28, 36}},    // outline
    {'e', {30, 26, 48}},    // eyes
    {'h', {134, 78, 40}},   // hair
    {'H', {180, 118, 62}},  // hair, lit
    {'d', {92, 52, 30}},    // hair, shaded
    {'s', {246, 200, 160}}, // skin
    {'S', {212, 156, 118}}, // skin, shaded
    {'t', {62, 138, 74}},   // tunic
    {'T', {106, 182, 98}},  // tunic, lit
    {'u', {38, 96, 56}},    // tunic, shaded
    {'b', {110, 68, 36}},   // belt and straps
    {'g', {240, 200, 84}},  // buckle
    {'p', {96, 88, 108}},   // trousers
    {'P', {66, 60, 80}},    // trousers, far leg
    {'k', {120, 74, 42}},   // boots and backpack
    {'K', {80, 50, 32}},    // boots, far leg; backpack, shaded
}};

Rgb paletteColour(char letter) {
    for (const PaletteEntry& entry : paletteColours) {
        if (entry.letter == letter) {
            return entry.colour;
        }
    }
    throw std::invalid_argument(std::string("no colour for palette letter ") + letter);
}

// Heads, 11 x 10, stamped with their top-left corner at column 7, row headTopRow.
// Each pattern is a picture, one string per pixel row, so keep the formatter out.
// clang-format off
const Pattern headFront{
    "..hhhhhhh..",
    ".hHHHhhhhh.",
    "hHHhhhhhhhd",
    "hhhhhhhhhhd",
    "hhsshhhsshd",
    "hssesssessh",
    "hssesssessh",
    "hssssSssssh",
    ".sssssssss.",
    "..SSSSSSS..",
};

const Pattern headBack{
    "..hhhhhhh..",
    ".hHHHhhhhh.",
    "hHHhhhhhhhd",
    "hHhhhhhhhhd",
    "hhhhhhhhhhd",
    "hhhhhhhhhhd",
    "hhhhhhhhhdd",
    "dhhhhhhhhdd",
    ".ddhhhhhdd.",
    "..SSSSSSS..",
};

// Facing right; the nose pokes out of the last column.
const Pattern headSide{
    "..hhhhhh...",
    ".hHHHhhhh..",
    "hHHhhhhhhh.",
    "hhhhhhhhhh.",
    "hhhhhhhhsh.",
    "hhhhSssses.",
    "hhhhSsssess",
    "dhhhssssss.",
    ".ddhssssSS.",
    "...SSSSS...",
};
// clang-format on

Frame blankFrame() {
    Frame f;
    for (auto& row : f) {
        row.fill(clearLetter);
    }
    return f;
}

bool inside(int x, int y) {
    return x >= 0 && y >= 0 && x < frameWidth && y < frameHeight;
}

void fill(Frame& f, int x0, int y0, int x1, int y1, char c) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (inside(x, y)) {
                f[y][x] = c;
            }
        }
    }
}

void stamp(Frame& f, const Pattern& pattern, int left, int top) {
    for (std::size_t row = 0; row < pattern.size(); ++row) {
        for (int col = 0; pattern[row][col] != '\0'; ++col) {
            const int x = left + col;
            const int y = top + static_cast<int>(row);
            if (pattern[row][col] != clearLetter && inside(x, y)) {
                f[y][x] = pattern[row][col];
            }
        }
    }
}

// A straight limb `width` pixels thick from (xTop, yTop) down to (xBottom, yBottom);
// rows from `splitRow` on use the second colour (a hand, or a boot).
void limb(Frame& f, int xTop, int yTop, int xBottom, int yBottom, int width, char upper,
          int splitRow, char lower) {
    for (int y = yTop; y <= yBottom; ++y) {
        const float t = yBottom == yTop
                            ? 0.0f
                            : static_cast<float>(y - yTop) / static_cast<float>(yBottom - yTop);
        const int cx = static_cast<int>(
            std::lround(static_cast<float>(xTop) + static_cast<float>(xBottom - xTop) * t));
        const int x0 = cx - width / 2;
        fill(f, x0, y, x0 + width - 1, y, y >= splitRow ? lower : upper);
    }
}

// Paints `layer` over `base`. Where the layer borders something already painted,
// that neighbour becomes `line`, so a limb in front of the body stays distinct.
void overlay(Frame& base, const Frame& layer, char line) {
    static const std::array<std::array<int, 2>, 4> neighbourOffsets{
        {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
    for (int y = 0; y < frameHeight; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            if (layer[y][x] == clearLetter) {
                continue;
            }
            for (const auto& n : neighbourOffsets) {
                const int nx = x + n[0];
                const int ny = y + n[1];
                if (inside(nx, ny) && layer[ny][nx] == clearLetter && base[ny][nx] != clearLetter) {
                    base[ny][nx] = line;
                }
            }
        }
    }
    for (int y = 0; y < frameHeight; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            if (layer[y][x] != clearLetter) {
                base[y][x] = layer[y][x];
            }
        }
    }
}

// Rings the figure with the outline colour (side neighbours only, which rounds
// the corners the way hand-drawn sprites do).
void outline(Frame& f) {
    const Frame before = f;
    for (int y = 0; y < frameHeight; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            if (before[y][x] != clearLetter) {
                continue;
            }
            const bool touches = (x > 0 && before[y][x - 1] != clearLetter) ||
                                 (x + 1 < frameWidth && before[y][x + 1] != clearLetter) ||
                                 (y > 0 && before[y - 1][x] != clearLetter) ||
                                 (y + 1 < frameHeight && before[y + 1][x] != clearLetter);
            if (touches) {
                f[y][x] = 'o';
            }
        }
    }
}

// One column of the walk cycle. "Leg A" is the screen-left leg seen from the
// front or back, and the near leg seen from the side; arms swing against legs.
struct Step {
    int bob;    // -1 lifts the body a pixel on the passing steps
    int swing;  // +1: leg A forward, -1: leg B forward, 0: legs passing
    bool liftA; // on a passing step: which leg is the one swinging through
};

constexpr std::array<Step, 4> walkSteps{{
    {0, +1, false},
    {-1, 0, false},
    {0, -1, false},
    {-1, 0, true},
}};

// Rows of the standing figure. On the passing steps everything above the hips
// rises by `bob` while the planted boot stays on the ground.
constexpr int headTopRow = 3;
constexpr int shoulderRow = 13;
constexpr int beltRow = 18;
constexpr int hipRow = 21;
constexpr int groundRow = 29; // lowest row of a planted boot

// Bottom row of a leg's boot, seen from the front or back.
int frontFootRow(const Step& step, bool legA) {
    if (step.swing == 0) {
        return step.liftA == legA ? groundRow - 2 : groundRow;
    }
    const bool forward = (step.swing > 0) == legA;
    return forward ? groundRow : groundRow - 1; // the trailing heel comes up
}

// Front and back views share the body; the back shows hair and the backpack
// instead of a face, the front the pack's strap and the belt buckle.
Frame paintFrontOrBack(const Step& step, bool back) {
    Frame f = blankFrame();
    const int b = step.bob;

    for (const bool legA : {true, false}) {
        const int x0 = legA ? 9 : 13;
        const int bottom = frontFootRow(step, legA);
        fill(f, x0, hipRow + b, x0 + 2, bottom - 3, 'p');
        fill(f, x0, bottom - 2, x0 + 2, bottom, 'k');
        const int toe = legA ? x0 - 1 : x0 + 3; // boots turn slightly outward
        fill(f, toe, bottom - 1, toe, bottom, 'k');
    }

    // Tunic, lit on the left, belted, its hem covering the hips.
    fill(f, 8, shoulderRow + b, 16, hipRow - 1 + b, 't');
    fill(f, 8, shoulderRow + b, 9, beltRow - 1 + b, 'T');
    fill(f, 15, shoulderRow + b, 16, hipRow - 1 + b, 'u');
    fill(f, 8, beltRow + b, 16, beltRow + b, 'b');
    if (back) {
        Frame pack = blankFrame();
        fill(pack, 10, shoulderRow + 1 + b, 14, beltRow - 1 + b, 'k');
        fill(pack, 10, shoulderRow + 1 + b, 14, shoulderRow + 2 + b, 'b'); // flap
        fill(pack, 10, beltRow - 1 + b, 14, beltRow - 1 + b, 'K');
        pack[shoulderRow + 2 + b][12] = 'g'; // clasp
        overlay(f, pack, 'u');
    } else {
        fill(f, 11, shoulderRow + b, 13, shoulderRow + b, 'S'); // open collar
        f[shoulderRow + 1 + b][12] = 'S';
        for (int i = 0; i < beltRow - shoulderRow; ++i) {
            f[shoulderRow + b + i][15 - i] = 'b'; // the pack's strap, shoulder to belt
        }
        f[beltRow + b][12] = 'g';
    }
    stamp(f, back ? headBack : headFront, 7, headTopRow + b);

    // Arms: the one swinging forward is foreshortened by a pixel.
    for (const bool armA : {true, false}) {
        const bool forward = step.swing != 0 && (step.swing > 0) != armA;
        const int x0 = armA ? 6 : 17;
        const int hand = hipRow - 2 + b - (forward ? 1 : 0);
        Frame arm = blankFrame();
        fill(arm, x0, shoulderRow + b, x0 + 1, shoulderRow + 3 + b, armA ? 'T' : 'u');
        fill(arm, x0, shoulderRow + 4 + b, x0 + 1, hand, armA ? 's' : 'S');
        overlay(f, arm, 'u');
    }

    outline(f);
    return f;
}

// Seen from the side, facing right. Leg A is the near leg; the far leg and
// far arm are painted darker and behind the body.
Frame paintSide(const Step& step) {
    Frame f = blankFrame();
    const int b = step.bob;

    auto paintLeg = [&](Frame& target, bool legA, char cloth, char boot) {
        const int hip = hipRow + b;
        if (step.swing == 0 && step.liftA == legA) {
            // Swinging through: knee forward, foot tucked under it, toe down.
            const int knee = hip + 3;
            const int bottom = groundRow - 2;
            limb(target, 12, hip, 14, knee, 3, cloth, bottom - 1, boot);
            limb(target, 14, knee, 12, bottom, 3, cloth, bottom - 1, boot);
            return;
        }
        int x = 12; // planted under the body
        if (step.swing != 0) {
            x = (step.swing > 0) == legA ? 15 : 9;
        }
        limb(target, 12, hip, x, groundRow, 3, cloth, groundRow - 2, boot);
        fill(target, x + 2, groundRow - 1, x + 2, groundRow, boot); // toe points forward
    };
    auto paintArm = [&](Frame& target, bool near, char sleeve, char skin) {
        // The near arm swings against the near leg; the far arm mirrors it.
        const int reach = near ? -4 * step.swing : 4 * step.swing;
        limb(target, 12, shoulderRow + b, 12 + reach, hipRow - 2 + b, 2, sleeve,
             shoulderRow + 4 + b, skin);
    };

    paintArm(f, false, 'u', 'S');
    paintLeg(f, false, 'P', 'K');

    Frame nearLeg = blankFrame();
    paintLeg(nearLeg, true, 'p', 'k');
    overlay(f, nearLeg, 'o');

    // The backpack rides behind the shoulders.
    fill(f, 6, shoulderRow + 1 + b, 8, beltRow - 1 + b, 'k');
    fill(f, 6, shoulderRow + 1 + b, 8, shoulderRow + 1 + b, 'b');
    fill(f, 6, beltRow - 1 + b, 8, beltRow - 1 + b, 'K');

    fill(f, 9, shoulderRow + b, 15, hipRow - 1 + b, 't');
    fill(f, 9, shoulderRow + b, 10, beltRow - 1 + b, 'T');
    fill(f, 15, shoulderRow + b, 15, hipRow - 1 + b, 'u');
    fill(f, 9, beltRow + b, 15, beltRow + b, 'b');
    stamp(f, headSide, 7, headTopRow + b);

    Frame nearArm = blankFrame();
    paintArm(nearArm, true, 't', 's');
    overlay(f, nearArm, 'u');

    outline(f);
    return f;
}

Frame mirrored(const Frame& f) {
    Frame m = f;
    for (auto& row : m) {
        std::reverse(row.begin(), row.end());
    }
    return m;
}

} // namespace

Image paintPlayerSheet() {
    Image sheet(frameWidth * 4, frameHeight * 4, transparent);
    for (int column = 0; column < 4; ++column) {
        const Step& step = walkSteps[static_cast<std::size_t>(column)];
        const Frame right = paintSide(step);
        // Rows follow the game's facings: left, up, right, down.
        const std::array<Frame, 4> rows{mirrored(right), paintFrontOrBack(step, true), right,
                                        paintFrontOrBack(step, false)};
        for (int row = 0; row < 4; ++row) {
            for (int y = 0; y < frameHeight; ++y) {
                for (int x = 0; x < frameWidth; ++x) {
                    sheet.set(column * frameWidth + x, row * frameHeight + y,
                              paletteColour(rows[static_cast<std::size_t>(row)][y][x]));
                }
            }
        }
    }
    return sheet;
}
