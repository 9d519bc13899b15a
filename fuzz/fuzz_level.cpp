// Any bytes as a level file: loading and reading every cell the game reads
// (drawing and the player's moves) must stay inside the rows. The rows are
// counted in the text the bytes hold (an editor's byte-order mark taken off).
#include "Require.h"
#include "core/TextLines.h"
#include "level/Level.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Level level;
    level.loadFromText(bytes);
    std::string converted;
    const std::string_view text = textOf(bytes, converted);
    const auto lines = std::count(text.begin(), text.end(), '\n');
    const bool unterminated = !text.empty() && text.back() != '\n';
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
    require(floor <= text.size(), "no more floor cells than bytes of text");
    return 0;
}
