// Drawing the map and the player, read back pixel by pixel on a 1280 x 720
// software canvas; and which updates can end the player's invulnerability.
#include "level/GameScene.h"
#include "core/Clock.h"
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

namespace {
const Rgb none{0, 0, 0};
const Rgb mark{200, 0, 0};
const Rgb tile{0, 160, 0};

// Each frame of the player sheet has a colour of its own.
Rgb frame(int row, int column) {
    return Rgb{static_cast<uint8_t>(40 + 50 * column), static_cast<uint8_t>(60 * row), 200};
}

// A 2 x 2 mark in the tile's top-left corner shows where each copy starts.
struct DrawnScene : SceneRig {
    DrawnScene(const char* level, int tileSize)
        : SceneRig(level, 1280, 720, [tileSize] {
              writeBitmap(Character::sheetPath, 100, 128,
                          [](int x, int y) { return frame(y / 32, x / 25); });
              writeBitmap(GameScene::tilesPath, tileSize, tileSize,
                          [](int x, int y) { return x < 2 && y < 2 ? mark : tile; });
          }) {}
    void draw() {
        canvas.clear(none);
        scene->render();
    }
    void expectPixels(std::initializer_list<std::tuple<int, int, Rgb>> pixels) const {
        for (const auto& [x, y, colour] : pixels) {
            EXPECT_EQ(canvas.pixel(x, y), colour) << "at " << x << ", " << y;
        }
    }
};
} // namespace

TEST(GameSceneTest, CameraCentresThePlayerAndCellsSitOnTheGrid) {
    // Row 2 is shorter than the map: nothing is drawn past its end.
    DrawnScene rig("1101\r\n1121\r\n1\r\n1111\r\n", 128);
    rig.scene->update(0.0);
    EXPECT_EQ(rig.scene->cameraX, -499.5f);
    EXPECT_EQ(rig.scene->cameraY, -232.0f);
    rig.draw();
    // Cell (c, r) starts at (499 + 128c, 232 + 128r); '0', '2' and the short
    // row's missing cells stay clear. The player, as big as the sheet and
    // facing down, has its top-left corner at the centre.
    // clang-format off
    rig.expectPixels({{499, 232, mark}, {500, 233, mark}, {501, 234, tile}, {498, 232, none},
                      {499, 231, none}, {626, 232, tile}, {627, 232, mark}, {754, 300, tile},
                      {755, 300, none}, {820, 420, none}, {883, 232, mark}, {499, 488, mark},
                      {700, 550, none}, {883, 616, mark}, {639, 360, tile}, {640, 359, tile},
                      {640, 360, frame(3, 0)}, {739, 487, frame(3, 0)}, {740, 360, tile}});
    // clang-format on
    rig.scene->player->facing = Facing::Left;
    rig.scene->player->currentFrame = 2;
    rig.draw();
    rig.expectPixels({{640, 360, frame(0, 2)}, {739, 487, frame(0, 2)}});
}

TEST(GameSceneTest, PositionsTruncateTowardZero) {
    DrawnScene rig("11\r\n11\r\n", 128);
    // Cell (0, 0) at (-0.5, -0.5) is drawn from (0, 0), at -1.5 from -1.
    rig.scene->cameraX = rig.scene->cameraY = 0.5f;
    rig.draw();
    rig.expectPixels({{1, 1, mark}, {2, 2, tile}});
    rig.scene->cameraX = rig.scene->cameraY = 1.5f;
    rig.draw();
    rig.expectPixels({{0, 0, mark}, {1, 1, tile}});
}

TEST(GameSceneTest, WithoutALevelOnlyThePlayerIsDrawn) {
    DrawnScene rig(nullptr, 128);
    rig.scene->update(0.0);
    rig.draw();
    const SDL_Rect painted = rig.canvas.paintedBox(none);
    EXPECT_EQ(painted.x, 640);
    EXPECT_EQ(painted.y, 360);
    EXPECT_EQ(painted.w, 100);
    EXPECT_EQ(painted.h, 128);
}

TEST(GameSceneTest, SmallTilesLeaveGapsOnThe128Pitch) {
    DrawnScene rig("11\r\n11\r\n", 64);
    rig.scene->update(0.0);
    rig.draw();
    rig.expectPixels(
        {{562, 295, tile}, {563, 232, none}, {499, 296, none}, {627, 232, mark}, {499, 360, mark}});
}

TEST(GameSceneTest, InvulnerabilityEndsOnlyInAnUpdateInWhichThePlayerActs) {
    SceneRig rig;
    Player& player = rig.player();
    Clock::setManual(2000);
    const auto shield = [&player] {
        player.invulnerable = true;
        player.invulnerableUntil = 1999;
    };
    shield();
    rig.step({});
    EXPECT_FALSE(player.invulnerable) << "standing, no key held";
    shield();
    rig.step({InputState::Left});
    EXPECT_TRUE(player.moving);
    EXPECT_FALSE(player.invulnerable) << "standing, a move started";
    shield();
    rig.step({});
    EXPECT_TRUE(player.moving);
    EXPECT_FALSE(player.invulnerable) << "a step of the move";
    player.x = 15.5f; // within the tolerance of 12.5
    shield();
    rig.step({});
    EXPECT_EQ(rig.scene->turnOver, 1);
    EXPECT_FALSE(player.invulnerable) << "the step that arrives";
    // The turn boundary's idle update and a dead player's updates never look.
    shield();
    rig.step({});
    EXPECT_EQ(rig.scene->turnOver, 0);
    EXPECT_TRUE(player.invulnerable) << "the idle update";
    player.dead = true;
    rig.step({InputState::Left});
    EXPECT_TRUE(player.invulnerable) << "dead";
}
