// A character's health: every change applied at once, sums held at the ends
// of what health can hold.
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(CharacterTest, AppliesEveryChangeAtOnce) {
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

} // namespace
