// Any bytes as a level file: loading and reading every cell the game reads
// (drawing and the player's moves) must stay inside the rows.
#include "Require.h"
#include "level/Level.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Level level;
    level.loadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto lines = std::count(data, data + size, '\n');
    const bool unterminated = size > 0 && data[size - 1] != '\n';
    require(level.rows.size() ==
                std::min(static_cast<size_t>(lines + (unterminated ? 1 : 0)), Level::maxRows),
            "one row per line, up to the limit");
    require(std::all_of(level.rows.begin(), level.rows.end(),
                        [](const std::string& row) { return row.size() <= Level::maxColumns; }),
            "no row longer than the limit");
    require(level.width ==
                (level.rows.empty() ? 0.0f : static_cast<float>(level.rows.back().size())),
            "the width is the last row's length");
    // A sprite without a texture: the drawing loop reads every cell, draws nothing.
    level.tileSprite = std::make_unique<Sprite>();
    level.tileSize = 128;
    level.render(0.0f, 0.0f);
    size_t floor = 0;
    for (int row = -1; row <= static_cast<int>(level.height); ++row) {
        for (int column = -1; column <= static_cast<int>(level.width); ++column) {
            floor += level.isFloor(column, row) ? 1 : 0;
        }
    }
    require(floor <= size, "no more floor cells than bytes");
    return 0;
}
