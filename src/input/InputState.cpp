#include "input/InputState.h"

namespace {
// Keys are matched by keycode, so the keypad's Enter is not Return.
constexpr std::array<SDL_Keycode, InputState::KeyCount> keycodes = {
    SDLK_ESCAPE, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_x, SDLK_z, SDLK_r, SDLK_RETURN,
};

int keyIndex(SDL_Keycode code) {
    for (int i = 0; i < InputState::KeyCount; ++i) {
        if (keycodes[i] == code) {
            return i;
        }
    }
    return -1;
}

int buttonIndex(Uint8 button) {
    if (button == SDL_BUTTON_LEFT) {
        return InputState::MouseLeft;
    }
    if (button == SDL_BUTTON_RIGHT) {
        return InputState::MouseRight;
    }
    return -1;
}

void press(bool& pressed, bool& held) {
    if (!held) {
        pressed = true;
        held = true;
    }
}

void release(bool& pressed, bool& held) {
    pressed = false;
    held = false;
}
} // namespace

void InputState::onKeyDown(const SDL_KeyboardEvent& event) {
    int i = keyIndex(event.keysym.sym);
    if (i >= 0) {
        holdKey(static_cast<Key>(i), keyboard);
    }
}

void InputState::onKeyUp(const SDL_KeyboardEvent& event) {
    int i = keyIndex(event.keysym.sym);
    if (i >= 0) {
        releaseKey(static_cast<Key>(i), keyboard);
    }
}

void InputState::onMouseButtonDown(const SDL_MouseButtonEvent& event) {
    int i = buttonIndex(event.button);
    if (i == MouseLeft && !mouseHeld[i]) {
        // SDL turns a finger into the left button of a mouse of its own.
        tapLanding = event.which == SDL_TOUCH_MOUSEID;
    }
    if (i >= 0) {
        press(mousePressed[i], mouseHeld[i]);
    }
}

void InputState::onMouseButtonUp(const SDL_MouseButtonEvent& event) {
    int i = buttonIndex(event.button);
    if (i == MouseLeft) {
        tapLanding = false;
    }
    if (i >= 0) {
        release(mousePressed[i], mouseHeld[i]);
    }
}

void InputState::holdKey(Key key, Holders holder) {
    holders[key] |= holder;
    press(pressed[key], held[key]);
}

void InputState::releaseKey(Key key, Holders holder) {
    holders[key] &= ~holder;
    if (holders[key] == 0) {
        release(pressed[key], held[key]);
    }
}
