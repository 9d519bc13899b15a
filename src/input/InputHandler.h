#pragma once
// Drains SDL's event queue into the InputState once per update, and notes a
// request to quit (the window's close button, or the menu's "Quit"). The
// game controllers' events go through it too.
#include "input/Controllers.h"
#include "input/InputState.h"

#include <SDL.h>

class InputHandler {
  public:
    explicit InputHandler(InputState& inputState);

    // Handles every pending event in queue order, then reads the
    // controllers' sticks.
    void poll();

    InputState& inputState;
    SDL_Event lastEvent{};
    bool quitRequested = false;
    Controllers controllers;

  private:
    void handle(const SDL_Event& event);
};
