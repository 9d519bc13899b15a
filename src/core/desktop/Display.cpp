#include "core/Display.h"

// A desktop window is the game's own: it is sized and placed by the game.

bool hostRoom(SDL_Point& /*room*/) {
    return false;
}

void setFullScreen(SDL_Window* window, bool on) {
    SDL_SetWindowFullscreen(window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

bool fullScreenEnded() {
    return false;
}

bool roomTurned() {
    return false;
}

bool hostChoice(SDL_Point& /*size*/) {
    return false;
}

void noteHostChoice(SDL_Point /*size*/) {}
