#pragma once
// A game scene on a small hand-made level, built on a ScreenRig for a
// 1280 x 720 window, with the keys held for one update at a time.
#include "level/GameScene.h"
#include "support/ScreenRig.h"

#include <functional>
#include <initializer_list>
#include <memory>

struct SceneRig : ScreenRig {
    // Three rows of three floor cells; the player starts on the middle one.
    static constexpr const char* openFloor = "111\r\n111\r\n111\r\n";

    // Writes `level` as the hand-made first level (no level file when null) and
    // a player sheet in one flat colour, then lets `paintArt` write any
    // bitmaps of the test's own before the scene loads them.
    explicit SceneRig(const char* level = openFloor, int canvasWidth = 64, int canvasHeight = 64,
                      const std::function<void()>& paintArt = {});
    // Hands the clock back to wall time, in case the test stopped it.
    ~SceneRig();
    SceneRig(const SceneRig&) = delete;
    SceneRig& operator=(const SceneRig&) = delete;

    Player& player() const { return *scene->player; }
    // Holds exactly these keys for one update of `dt` seconds.
    void step(std::initializer_list<InputState::Key> keys, double dt = 0.01);

    std::unique_ptr<GameScene> scene;
};
