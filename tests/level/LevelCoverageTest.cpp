// A map whose floor picture is missing is not drawn at all.
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

} // namespace
