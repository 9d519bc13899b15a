// One-tile moves under the arrow keys, driven through the game scene's update
// on small hand-made levels.
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace {
const char* const openFloor = SceneRig::openFloor;
using Key = InputState::Key;
} // namespace

TEST(Movement, LeftFromTheStartEndsExactlyOnColumnZero) {
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

TEST(Movement, OnlyFloorInsideTheMapCanBeEntered) {
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

TEST(Movement, KeysTogetherResolveToOneMove) {
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

TEST(Movement, ADeadPlayerStaysPutButTheCameraFollows) {
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

TEST(Movement, AKeyTappedDuringAMoveIsLost) {
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

TEST(Movement, ArrivalToleranceIsInclusive) {
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

TEST(Movement, LongTimeStepsStillEndOnTheTarget) {
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
