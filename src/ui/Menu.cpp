#include "ui/Menu.h"

Menu::Menu(SDL_Renderer* renderer, InputState& inputState, InputHandler& inputHandler,
           TextRenderer& textRenderer, Settings& settings)
    : renderer(renderer), inputState(inputState), inputHandler(inputHandler),
      textRenderer(textRenderer), settings(settings) {}

Menu::~Menu() {
    releaseButtons();
}

void Menu::navigate() {
    bool pointed = false;
    for (int i = 0; i < buttonCount; ++i) {
        Button& button = *buttons[i];
        if (button.isMouseOver(inputState.mouseX, inputState.mouseY)) {
            select(i);
            pointed = true;
        }
        const bool highlighted = selectedIndex() == i;
        SDL_SetTextureColorMod(button.sprite->texture.get(), highlighted ? 0 : 255, 255,
                               highlighted ? 0 : 255);
    }
    // One move per step; Up wins and Down waits for the next step.
    if (inputState.pressed[InputState::Up]) {
        select(selectedIndex() > 0 ? selectedIndex() - 1 : buttonCount - 1);
        inputState.pressed[InputState::Up] = false;
    } else if (inputState.pressed[InputState::Down]) {
        select(selectedIndex() < buttonCount - 1 ? selectedIndex() + 1 : 0);
        inputState.pressed[InputState::Down] = false;
    }
    // A mouse click anywhere acts on the selected control, but a finger has
    // no hover to select with: a tap off every control is taken unacted. A
    // tap is judged where it lands, so a slider dragged off still follows.
    if (inputState.tapLanding && inputState.mousePressed[InputState::MouseLeft]) {
        inputState.tapLanding = false;
        inputState.mousePressed[InputState::MouseLeft] = pointed;
    }
    if (inputState.pressed[InputState::Return] || inputState.mousePressed[InputState::MouseLeft]) {
        activate();
        inputState.pressed[InputState::Return] = false;
        // A press on a slider stands until the button is released: that is
        // what drags it.
        if (!selectedIsSlider()) {
            inputState.mousePressed[InputState::MouseLeft] = false;
        }
    }
}

void Menu::releaseButtons() {
    buttons.clear();
    buttonCount = 0;
}

bool Menu::selectedIsSlider() {
    const int index = selectedIndex();
    return index >= 0 && index < buttonCount && buttons[index]->isSlider != 0;
}
