#include "core/Display.h"

#include <emscripten.h>

// The page's stage (stage.js, given to the page's program only) holds the
// canvas: Module.stage is missing where there is no page, as under Node,
// and the game's window is then sized by the game as on a desktop.
// clang-format off
EM_JS(int, stageRoom, (int* size), {
    if (!Module.stage) {
        return 0;
    }
    const room = Module.stage.room();
    HEAP32[size >> 2] = room.width;
    HEAP32[(size >> 2) + 1] = room.height;
    return 1;
});

EM_JS(int, stageFullScreen, (int on), {
    if (!Module.stage) {
        return 0;
    }
    Module.stage.fullScreen(!!on);
    return 1;
});

EM_JS(int, stageFullScreenEnded, (), {
    return Module.stage ? Module.stage.fullScreenEnded() : 0;
});
// clang-format on

bool hostRoom(SDL_Point& room) {
    int size[2] = {};
    if (stageRoom(size) == 0) {
        return false;
    }
    room = {size[0], size[1]};
    return true;
}

void setFullScreen(SDL_Window* window, bool on) {
    if (stageFullScreen(on ? 1 : 0) == 0) {
        SDL_SetWindowFullscreen(window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }
}

bool fullScreenEnded() {
    return stageFullScreenEnded() != 0;
}
