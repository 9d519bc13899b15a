#pragma once
// Drains SDL's event queue into the InputState once per update, and notes a
// request to quit (the window's close button, or the menu's "Quit").
#include "input/InputState.h"

#include <SDL.h>

class InputHandler {
  public:
    explicit InputHandler(InputState& inputState);

    // Handles every pending event in queue order.
    void poll();

    InputState& inputState;
    SDL_Event lastEvent{};
    bool quitRequested = false;

  private:
    void handle(const SDL_Event& event);
};
