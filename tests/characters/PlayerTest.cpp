// The player as the game scene makes it: start state, health and its
// invulnerability window, the walk cycle on the test clock, and one-tile moves
// under the arrow keys, driven through the game scene's update on small
// hand-made levels.
#include "core/Clock.h"
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace {

const char* const openFloor = SceneRig::openFloor;
using Key = InputState::Key;

TEST(PlayerTest, StartsOnCellOneOneFacingDown) {
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

TEST(PlayerTest, DamageOpensAWindowInWhichNothingCounts) {
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

TEST(PlayerTest, WalkCycleStepsOnlyAfterEachFrameInterval) {
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

TEST(PlayerTest, LeftFromTheStartEndsExactlyOnColumnZero) {
    SceneRig rig(openFloor);
    Player& player = rig.player();
    rig.step({InputState::Left}, 0.011);
    EXPECT_EQ(player.facing, Facing::Left);
    EXPECT_TRUE(player.moving);
    EXPECT_EQ(player.targetX, 12.5f);
    EXPECT_EQ(player.targetY, 128.0f);
    EXPECT_EQ(player.x, 140.5f); // the first step comes next update
    int updates = 0;
    for (; player.moving && updates < 200; ++updates) {
        const float before = player.x;
        rig.scene->update(0.011);
        // The camera follows the position the player had before acting.
        EXPECT_EQ(rig.scene->cameraX, before - 640.0f);
        EXPECT_GE(player.x, 12.5f);
    }
    // 1.65 px a step: 76 steps (0.84 s) leave 2.6 px, within the 3 px
    // tolerance, so the 77th update snaps onto the target.
    EXPECT_EQ(updates, 77);
    EXPECT_EQ(player.x, 12.5f);
    EXPECT_EQ(player.y, 128.0f);
    EXPECT_EQ(player.targetX, 0.0f);
    EXPECT_EQ(rig.scene->turnOver, 1);
    // One idle update at the turn boundary; its time step is not even stored.
    player.facing = Facing::Down;
    rig.scene->update(0.02);
    EXPECT_EQ(rig.scene->turnOver, 0);
    EXPECT_EQ(player.facing, Facing::Down);
    EXPECT_EQ(player.deltaTime, 0.011);
    // Column -0.9 is off the map: the player only turns.
    rig.scene->update(0.02);
    EXPECT_EQ(player.facing, Facing::Left);
    EXPECT_FALSE(player.moving);
}

TEST(PlayerTest, OnlyFloorInsideTheMapCanBeEntered) {
    {
        // Up is '0', right is '2', down is past the end of a short row.
        SceneRig rig("1021\r\n1121\r\n1\r\n1111\r\n");
        for (const auto& [key, facing] : {std::pair{InputState::Up, Facing::Up},
                                          {InputState::Right, Facing::Right},
                                          {InputState::Down, Facing::Down}}) {
            rig.player().facing = Facing::Left;
            rig.step({key});
            EXPECT_EQ(rig.player().facing, facing);
            EXPECT_FALSE(rig.player().moving) << "key " << key;
        }
        rig.step({InputState::Left});
        EXPECT_TRUE(rig.player().moving);
    }
    // The bottom edge (row 2 of 2), the right (column 3 of 3), the top.
    SceneRig rig("111\n111\n");
    Player& player = rig.player();
    const float positions[][2] = {{140.5f, 128.0f}, {268.5f, 128.0f}, {140.5f, 0.0f}};
    const Key keys[] = {InputState::Down, InputState::Right, InputState::Up};
    for (int i = 0; i < 3; ++i) {
        player.x = positions[i][0];
        player.y = positions[i][1];
        rig.step({keys[i]});
        EXPECT_FALSE(player.moving) << "key " << keys[i];
    }
}

TEST(PlayerTest, KeysTogetherResolveToOneMove) {
    {
        SceneRig rig(openFloor);
        Player& player = rig.player();
        rig.step({InputState::Left, InputState::Right});
        EXPECT_EQ(player.facing, Facing::Down);
        EXPECT_FALSE(player.moving);
        // A vertical move replaces a horizontal one.
        rig.step({InputState::Left, InputState::Up});
        EXPECT_EQ(player.facing, Facing::Up);
        EXPECT_EQ(player.targetX, 140.5f);
        EXPECT_EQ(player.targetY, 0.0f);
    }
    // With the way up blocked the player goes left but faces up.
    SceneRig rig("111\r\n101\r\n111\r\n");
    rig.player().y = 256.0f;
    rig.step({InputState::Left, InputState::Up});
    EXPECT_EQ(rig.player().facing, Facing::Up);
    EXPECT_EQ(rig.player().targetX, 12.5f);
    EXPECT_EQ(rig.player().targetY, 256.0f);
}

TEST(PlayerTest, ADeadPlayerStaysPutButTheCameraFollows) {
    SceneRig rig(openFloor);
    Player& player = rig.player();
    player.dead = true;
    rig.step({InputState::Left});
    EXPECT_EQ(player.facing, Facing::Down);
    EXPECT_FALSE(player.moving);
    player.x = 1000.0f;
    player.y = 50.0f;
    rig.step({InputState::Left});
    EXPECT_EQ(rig.scene->cameraX, 360.0f);
    EXPECT_EQ(rig.scene->cameraY, -310.0f);
    EXPECT_EQ(player.x, 1000.0f);
}

TEST(PlayerTest, AKeyTappedDuringAMoveIsLost) {
    SceneRig rig(openFloor);
    rig.step({InputState::Left});
    for (int i = 0; i < 5; ++i) {
        rig.step({InputState::Up});
    }
    for (int i = 0; i < 200 && rig.player().moving; ++i) {
        rig.step({});
    }
    EXPECT_EQ(rig.player().x, 12.5f);
    rig.step({});
    rig.step({});
    EXPECT_FALSE(rig.player().moving);
    EXPECT_EQ(rig.player().facing, Facing::Left);
}

TEST(PlayerTest, ArrivalToleranceIsInclusive) {
    SceneRig rig(openFloor);
    Player& player = rig.player();
    // 150 px/s x 0.5 x 0.04 = 3 px on each axis: a target exactly 3 away is
    // snapped onto, the next float beyond it is not.
    const struct {
        float targetX, targetY;
        bool snaps;
    } cases[] = {
        {137.5f, 128.0f, true},
        {143.5f, 128.0f, true},
        {140.5f, 131.0f, true},
        {140.5f, 125.0f, true},
        {143.5f, 125.0f, true},
        {137.25f, 128.0f, false},
        {140.5f, 131.25f, false},
        {std::nextafter(143.5f, 200.0f), 128.0f, false},
        {std::nextafter(137.5f, 0.0f), 128.0f, false},
        {140.5f, std::nextafter(131.0f, 200.0f), false},
        {140.5f, std::nextafter(125.0f, 0.0f), false},
    };
    for (const auto& [targetX, targetY, snaps] : cases) {
        SCOPED_TRACE(testing::Message() << "target " << targetX << ", " << targetY);
        player.x = 140.5f;
        player.y = 128.0f;
        player.moving = true;
        player.targetX = targetX;
        player.targetY = targetY;
        rig.scene->turnOver = 0;
        rig.scene->update(0.001);
        EXPECT_EQ(player.moving, !snaps);
        EXPECT_EQ(rig.scene->turnOver, snaps ? 1 : 0);
        if (snaps) {
            EXPECT_EQ(player.x, targetX);
            EXPECT_EQ(player.y, targetY);
        }
    }
}

TEST(PlayerTest, LongTimeStepsStillEndOnTheTarget) {
    // 0.1 s is 15 px a step: eight steps, a last one of 8 px, then the snap.
    const std::pair<double, int> cases[] = {{0.1, 10}, {0.5, 3}, {2.0, 2}};
    for (const auto& [dt, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "dt " << dt);
        SceneRig rig(openFloor);
        rig.step({InputState::Left}, dt);
        int updates = 0;
        for (; rig.player().moving && updates < 50; ++updates) {
            rig.scene->update(dt);
            EXPECT_GE(rig.player().x, 12.5f);
        }
        EXPECT_EQ(updates, expected);
        EXPECT_EQ(rig.player().x, 12.5f);
        EXPECT_EQ(rig.player().y, 128.0f);
    }
}

} // namespace
