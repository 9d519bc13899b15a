#include "support/SceneRig.h"

#include "core/Clock.h"

SceneRig::SceneRig(const char* level, int canvasWidth, int canvasHeight,
                   const std::function<void()>& paintArt)
    : ScreenRig(canvasWidth, canvasHeight) {
    writeBitmap(Character::sheetPath, 100, 128, [](int, int) { return Rgb{0, 0, 200}; });
    if (level != nullptr) {
        workspace.write("Resources/Data/Level0.level", level);
    }
    if (paintArt) {
        paintArt();
    }
    settings.windowWidth = 1280;
    settings.windowHeight = 720;
    scene = std::make_unique<GameScene>(canvas.renderer(), handler, input, text, settings);
}

SceneRig::~SceneRig() {
    Clock::useWallClock();
}

void SceneRig::step(std::initializer_list<InputState::Key> keys, double dt) {
    input.pressed = {};
    for (const InputState::Key key : keys) {
        input.pressed[key] = true;
    }
    scene->update(dt);
}
