// Any bytes as Settings.ini, then every screen built from those settings: the
// main menu and the options menu laid out, updated with the mouse on their
// controls and drawn, and the game scene updated and drawn, on a software
// canvas. Sizes at the limits of their types end up in the layout and drawing
// maths, which must stay defined (the build checks float-to-int conversions).
#include "Require.h"
#include "level/GameScene.h"
#include "support/SoftwareCanvas.h"
#include "support/TestWorkspace.h"
#include "ui/MainMenu.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
// What every screen borrows, made once for the whole run: a scratch copy of
// the game's folder (so the options menu's saves land there), a small canvas,
// input and text.
struct Screens {
    TestWorkspace workspace;
    SoftwareCanvas canvas{160, 120};
    InputState input;
    InputHandler handler{input};
    TextRenderer text{canvas.renderer(), SDL_Color{255, 255, 255, 0}};
};
Screens* screens = nullptr;

void mouseAt(float x, float y, bool pressed) {
    screens->input = InputState{};
    screens->input.mouseX = x;
    screens->input.mouseY = y;
    screens->input.mousePressed[InputState::MouseLeft] = pressed;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    TTF_Init();
    screens = new Screens;
    screens->workspace.write("Resources/Data/Level0.level", "111\r\n111\r\n111\r\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings settings(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto width = static_cast<float>(settings.windowWidth);
    const auto height = static_cast<float>(settings.windowHeight);
    SDL_Renderer* renderer = screens->canvas.renderer();
    int32_t scene = 0;
    {
        MainMenu menu(renderer, screens->input, screens->handler, screens->text, settings, scene);
        mouseAt(0.5f * width, 0.7f * height, false); // hovering "New Game"
        menu.update();
        menu.render();
    }
    require(scene == 0, "hovering starts no game");
    {
        OptionsMenu options(renderer, screens->input, screens->handler, screens->text, settings);
        mouseAt(0.6f * width, 0.5f * height, true); // a press on the music slider
        options.update();
        options.render();
        options.select(OptionsMenu::Resolution);
        options.activate();
        options.select(OptionsMenu::Apply);
        options.activate();
        options.render();
    }
    {
        GameScene game(renderer, screens->handler, screens->input, screens->text, settings);
        game.update(0.011);
        game.render();
    }
    return 0;
}
