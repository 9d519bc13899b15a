#include "input/InputHandler.h"

InputHandler::InputHandler(InputState& inputState)
    : inputState(inputState), controllers(inputState) {}

void InputHandler::poll() {
    while (SDL_PollEvent(&lastEvent) != 0) {
        handle(lastEvent);
    }
    controllers.readSticks();
}

void InputHandler::handle(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        quitRequested = true;
        return;
    }
    // Every other event refreshes the mouse position, whatever it is about,
    // in the pixels of the picture the window shows (which SDL may have
    // scaled and centred into a window of another size).
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    inputState.mouseX = static_cast<float>(x);
    inputState.mouseY = static_cast<float>(y);
    // The mouse's window; when the mouse has left it, the player's.
    SDL_Window* focus = SDL_GetMouseFocus();
    if (focus == nullptr) {
        focus = SDL_GetKeyboardFocus();
    }
    SDL_Renderer* const renderer = focus != nullptr ? SDL_GetRenderer(focus) : nullptr;
    if (renderer != nullptr) {
        SDL_RenderWindowToLogical(renderer, x, y, &inputState.mouseX, &inputState.mouseY);
    }
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
        controllers.handle(event);
        break;
    }
}
