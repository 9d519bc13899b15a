// The game's own frames in a page built as the game's is: the main menu and a
// 150 x 150 map, drawn by the game's classes in a loop under Asyncify that
// gives the page its turn after each step, as the game's does. The page asks
// through Module.askFrames(which, count), count 0 for the picture's hash,
// and is answered with a promise: the milliseconds the frames took, or the
// hash. Built with CALLED_IN, the same frames are instead called in for by
// the page, as the bare ones are, in a page without Asyncify: Asyncify's own
// share of the cost.
#include "FramePage.h"
#include "core/web/Page.h"
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

#ifndef CALLED_IN
// clang-format off
EM_JS(void, listenForFrames, (), {
    Module.askFrames = (which, count) => new Promise(resolve => {
        Module.framesAsked = {which : which, count : count, resolve : resolve};
    });
});

// The frames asked for, or -1 when none are.
EM_JS(int, framesAsked, (int* which), {
    if (!Module.framesAsked) {
        return -1;
    }
    HEAP32[which >> 2] = Module.framesAsked.which;
    return Module.framesAsked.count;
});

EM_JS(void, answerFrames, (double answer), {
    const asked = Module.framesAsked;
    Module.framesAsked = null;
    asked.resolve(answer);
});
// clang-format on
#else
GameFrames* called = nullptr;
#endif
} // namespace

#ifdef CALLED_IN
extern "C" EMSCRIPTEN_KEEPALIVE double timeFrames(int which, int count) {
    return called->page.timeFrames(called->frame(which), count);
}

extern "C" EMSCRIPTEN_KEEPALIVE uint32_t pictureHash(int which) {
    return called->page.pictureHash(called->frame(which));
}

int main() {
    called = new GameFrames;
    FramePage::callIn();
    emscripten_exit_with_live_runtime();
}
#else
int main() {
    GameFrames frames;
    listenForFrames();
    FramePage::ready();
    for (;;) {
        int which = 0;
        const int count = framesAsked(&which);
        if (count == 0) {
            answerFrames(frames.page.pictureHash(frames.frame(which)));
        } else if (count > 0) {
            answerFrames(frames.page.timeFrames(frames.frame(which), count));
        }
        yieldToPage();
    }
}
#endif
