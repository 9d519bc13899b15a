#include "input/InputHandler.h"

InputHandler::InputHandler(InputState& inputState) : inputState(inputState) {}

void InputHandler::poll() {
    while (SDL_PollEvent(&lastEvent) != 0) {
        handle(lastEvent);
    }
}

void InputHandler::handle(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        quitRequested = true;
        return;
    }
    // Every other event refreshes the mouse position, whatever it is about.
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    inputState.mouseX = static_cast<float>(x);
    inputState.mouseY = static_cast<float>(y);
    switch (event.type) {
    case SDL_KEYDOWN:
        inputState.onKeyDown(event.key);
        break;
    case SDL_KEYUP:
        inputState.onKeyUp(event.key);
        break;
    case SDL_MOUSEBUTTONDOWN:
        inputState.onMouseButtonDown(event.button);
        break;
    case SDL_MOUSEBUTTONUP:
        inputState.onMouseButtonUp(event.button);
        break;
    default:
        break;
    }
}
