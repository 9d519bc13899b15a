// A map whose floor picture is missing is not drawn at all; cells outside the
// rows read as solid even when the map's size says otherwise.
#include "level/Level.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"

#include <gtest/gtest.h>

namespace {

TEST(LevelRender, WithoutATilePictureNothingIsDrawn) {
    SdlSession sdl;
    SoftwareCanvas canvas(40, 40);
    canvas.clear(Rgb{1, 2, 3});
    Level level;
    level.renderer = canvas.renderer();
    level.tileSize = 8;
    level.loadFromText("111\r\n111\r\n");
    level.render(0.0f, 0.0f);
    EXPECT_EQ(canvas.paintedBox(Rgb{1, 2, 3}), (SDL_Rect{0, 0, 0, 0}));
}

TEST(LevelCells, OutsideTheRowsIsSolid) {
    Level level;
    level.loadFromText("11\r\n11\r\n");
    EXPECT_TRUE(level.isFloor(1, 1));
    EXPECT_FALSE(level.isFloor(0, -1));
    level.height = 5.0f; // a size set by hand, larger than the rows read
    EXPECT_FALSE(level.isFloor(0, 2));
    EXPECT_FALSE(level.isFloor(0, 4));
}

} // namespace
