// The game's own frames in a page built as the game's is: the main menu and a
// 150 x 150 map, drawn by the game's classes. As the bare ones are, they are
// called in for by the page (its exports timeFrames and pictureHash), its
// main function having returned: the game's page runs no code of its own
// between the browser's calls either.
#include "FramePage.h"
#include "graphics/TextRenderer.h"
#include "input/InputHandler.h"
#include "level/GameScene.h"
#include "settings/Settings.h"
#include "ui/MainMenu.h"

#include <emscripten.h>

#include <memory>

namespace {
struct GameFrames {
    FramePage page;
    InputState input;
    InputHandler handler{input};
    TextRenderer text{page.renderer(), SDL_Color{255, 255, 255, 0}};
    Settings settings{"WindowWidth=1280\nWindowHeight=720"};
    int32_t scene = 0;
    MainMenu menu{page.renderer(), input, handler, text, settings, scene};
    std::unique_ptr<GameScene> map;

    GameFrames() {
        map = std::make_unique<GameScene>(page.renderer(), handler, input, text, settings);
        map->update(0.011);
    }

    std::function<void()> frame(int which) {
        if (which == 0) {
            return [this] { menu.render(); };
        }
        return [this] { map->render(); };
    }
};

GameFrames* frames = nullptr;
} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE double timeFrames(int which, int count) {
    return frames->page.timeFrames(frames->frame(which), count);
}

extern "C" EMSCRIPTEN_KEEPALIVE uint32_t pictureHash(int which) {
    return frames->page.pictureHash(frames->frame(which));
}

int main() {
    frames = new GameFrames;
    FramePage::callIn();
    emscripten_exit_with_live_runtime();
}
