// The player as the game scene makes it: start state, health and its
// invulnerability window, and the walk cycle on the test clock.
#include "core/Clock.h"
#include "support/SceneRig.h"

#include <gtest/gtest.h>

TEST(Player, StartsOnCellOneOneFacingDown) {
    SceneRig rig;
    const Player& player = *rig.scene->player;
    EXPECT_EQ(player.x, 140.5f);
    EXPECT_EQ(player.y, 128.0f);
    EXPECT_EQ(static_cast<int>(player.facing), 3);
    EXPECT_EQ(player.currentFrame, 0);
    EXPECT_EQ(player.health, 100);
    EXPECT_FALSE(player.dead);
    EXPECT_FALSE(player.moving);
    EXPECT_FALSE(player.invulnerable);
    // Each frame cuts its own 25 x 32 cell and keeps the sheet's size.
    const Sprite& frame = *player.frames[2][3];
    const SDL_Rect& cut = frame.sourceRect;
    EXPECT_TRUE(frame.useSourceRect);
    EXPECT_EQ(cut, (SDL_Rect{75, 64, 25, 32}));
    EXPECT_EQ(frame.width, 100);
    EXPECT_EQ(frame.height, 128);
}

TEST(Player, DamageOpensAWindowInWhichNothingCounts) {
    SceneRig rig;
    Player& player = *rig.scene->player;
    Clock::setManual(5000);
    player.changeHealth(50);
    EXPECT_EQ(player.health, 100);
    EXPECT_FALSE(player.invulnerable);
    player.changeHealth(-100);
    EXPECT_EQ(player.health, 0);
    EXPECT_TRUE(player.dead);
    EXPECT_TRUE(player.invulnerable);
    EXPECT_EQ(player.invulnerableUntil, 6000);
    Clock::setManual(5999);
    player.changeHealth(-10);
    player.changeHealth(10);
    EXPECT_EQ(player.health, 0);

    // Revived by hand: the window closes at the first update after its end.
    player.dead = false;
    Clock::setManual(6000);
    rig.scene->update(0.01);
    EXPECT_TRUE(player.invulnerable);
    Clock::setManual(6001);
    rig.scene->update(0.01);
    EXPECT_FALSE(player.invulnerable);
    player.changeHealth(100);
    player.changeHealth(-150);
    EXPECT_EQ(player.health, -50);
    EXPECT_TRUE(player.dead);
    // The end is summed as a float: 16777217 + 1000 becomes 16778216.
    player.invulnerable = false;
    Clock::setManual(16777217);
    player.changeHealth(-1);
    EXPECT_EQ(player.invulnerableUntil, 16778216);
}

TEST(Character, AppliesEveryChangeAtOnce) {
    SceneRig rig;
    Character character(rig.canvas.renderer(), *rig.scene->level, 25.0f, 32.0f, 0.0f, 0.0f);
    character.health = 100;
    character.changeHealth(-30);
    character.changeHealth(-30);
    EXPECT_EQ(character.health, 40);
    character.changeHealth(100);
    EXPECT_EQ(character.health, 100);
    character.changeHealth(-150);
    EXPECT_EQ(character.health, -50);
    EXPECT_TRUE(character.dead);
    // Sums past what health can hold stop at its ends instead of overflowing.
    character.changeHealth(INT32_MIN);
    EXPECT_EQ(character.health, INT32_MIN);
    character.changeHealth(INT32_MAX);
    EXPECT_EQ(character.health, -1);
    character.changeHealth(INT32_MAX);
    EXPECT_EQ(character.health, 100);
    EXPECT_TRUE(character.dead);
}

TEST(Player, WalkCycleStepsOnlyAfterEachFrameInterval) {
    SceneRig rig;
    Player& player = *rig.scene->player;
    // A long slow move keeps the player walking throughout.
    player.moving = true;
    player.targetX = player.x + 10000.0f;
    player.targetY = player.y;
    const int steps[][2] = {{500, 1}, {600, 1}, {601, 2}, {701, 2}, {702, 3}, {802, 3}, {803, 0}};
    for (const auto& [clock, frame] : steps) {
        Clock::setManual(clock);
        rig.scene->update(0.001);
        EXPECT_EQ(player.currentFrame, frame) << "at " << clock;
    }
    // Standing still does not animate.
    player.moving = false;
    Clock::setManual(2000);
    rig.scene->update(0.001);
    EXPECT_EQ(player.currentFrame, 0);
}
