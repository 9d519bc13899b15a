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

EM_JS(int, stageTurned, (), {
    return Module.stage ? Module.stage.turned() : 0;
});

EM_JS(int, stageChoice, (int* size), {
    const chosen = Module.stage ? Module.stage.choice() : null;
    if (!chosen) {
        return 0;
    }
    HEAP32[size >> 2] = chosen.width;
    HEAP32[(size >> 2) + 1] = chosen.height;
    return 1;
});

EM_JS(void, stageNoteChoice, (int width, int height), {
    if (Module.stage) {
        Module.stage.noteChoice(width, height);
    }
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

bool roomTurned() {
    return stageTurned() != 0;
}

bool hostChoice(SDL_Point& size) {
    int chosen[2] = {};
    if (stageChoice(chosen) == 0) {
        return false;
    }
    size = {chosen[0], chosen[1]};
    return true;
}

void noteHostChoice(SDL_Point size) {
    stageNoteChoice(size.x, size.y);
}
