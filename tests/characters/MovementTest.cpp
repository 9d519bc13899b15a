// One-tile moves under the arrow keys, driven through the game scene's update
// on small hand-made levels.
#include "level/GameScene.h"
#include "support/ScreenRig.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>

namespace {
const char* const openFloor = "111\r\n111\r\n111\r\n";
using Key = InputState::Key;

struct SceneRig : ScreenRig {
    std::unique_ptr<GameScene> scene;

    explicit SceneRig(const char* level) : ScreenRig(64, 64) {
        writeBitmap(Character::sheetPath, 100, 128, [](int, int) { return Rgb{0, 0, 200}; });
        workspace.write("Resources/Data/Level0.level", level);
        settings.windowWidth = 1280;
        settings.windowHeight = 720;
        scene = std::make_unique<GameScene>(canvas.renderer(), handler, input, text, settings);
    }
    Player& player() { return *scene->player; }
    // Holds exactly these keys for one update.
    void step(std::initializer_list<Key> keys, double dt = 0.01) {
        input.pressed = {};
        for (const Key key : keys) {
            input.pressed[key] = true;
        }
        scene->update(dt);
    }
};
} // namespace

TEST(Movement, LeftFromTheStartEndsExactlyOnColumnZero) {
    SceneRig rig(openFloor);
    Player& player = rig.player();
    rig.step({InputState::Left}, 0.011);
    EXPECT_TRUE(player.facing == Facing::Left && player.moving);
    EXPECT_TRUE(player.targetX == 12.5f && player.targetY == 128.0f);
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
    EXPECT_TRUE(player.x == 12.5f && player.y == 128.0f && player.targetX == 0.0f);
    EXPECT_EQ(rig.scene->turnOver, 1);
    // One idle update at the turn boundary; its time step is not even stored.
    player.facing = Facing::Down;
    rig.scene->update(0.02);
    EXPECT_TRUE(rig.scene->turnOver == 0 && player.facing == Facing::Down);
    EXPECT_EQ(player.deltaTime, 0.011);
    // Column -0.9 is off the map: the player only turns.
    rig.scene->update(0.02);
    EXPECT_TRUE(player.facing == Facing::Left && !player.moving);
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
        EXPECT_TRUE(player.facing == Facing::Down && !player.moving);
        // A vertical move replaces a horizontal one.
        rig.step({InputState::Left, InputState::Up});
        EXPECT_EQ(player.facing, Facing::Up);
        EXPECT_TRUE(player.targetX == 140.5f && player.targetY == 0.0f);
    }
    // With the way up blocked the player goes left but faces up.
    SceneRig rig("111\r\n101\r\n111\r\n");
    rig.player().y = 256.0f;
    rig.step({InputState::Left, InputState::Up});
    EXPECT_EQ(rig.player().facing, Facing::Up);
    EXPECT_TRUE(rig.player().targetX == 12.5f && rig.player().targetY == 256.0f);
}

TEST(Movement, ADeadPlayerStaysPutButTheCameraFollows) {
    SceneRig rig(openFloor);
    Player& player = rig.player();
    player.dead = true;
    rig.step({InputState::Left});
    EXPECT_TRUE(player.facing == Facing::Down && !player.moving);
    player.x = 1000.0f;
    player.y = 50.0f;
    rig.step({InputState::Left});
    EXPECT_TRUE(rig.scene->cameraX == 360.0f && rig.scene->cameraY == -310.0f);
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
    EXPECT_TRUE(!rig.player().moving && rig.player().facing == Facing::Left);
}

TEST(Movement, ArrivalToleranceIsInclusive) {
    SceneRig rig(openFloor);
    Player& player = rig.player();
    const float offsets[][2] = {{-3, 0}, {3, 0}, {0, 3}, {3, -3}, {-3.25f, 0}, {0, 3.25f}};
    for (const auto& [dx, dy] : offsets) {
        const bool within = dx != -3.25f && dy != 3.25f;
        player.x = 140.5f;
        player.y = 128.0f;
        player.moving = true;
        player.targetX = player.x + dx;
        player.targetY = player.y + dy;
        rig.scene->turnOver = 0;
        rig.scene->update(0.001);
        EXPECT_EQ(player.moving, !within) << dx << ", " << dy;
        if (within) {
            EXPECT_TRUE(player.x == 140.5f + dx && player.y == 128.0f + dy);
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
        EXPECT_TRUE(rig.player().x == 12.5f && rig.player().y == 128.0f);
    }
}
