#pragma once
// What the player is pressing: the mouse position and a pressed/held pair of
// flags for each key and mouse button the game knows. `pressed` marks a fresh
// press until its release or until a consumer takes it; `held` lasts from
// down to up and stops key repeat from raising `pressed` again.
#include <SDL.h>

#include <array>

class InputState {
  public:
    enum Key { Escape, Up, Down, Left, Right, X, Z, R, Return, KeyCount };
    enum MouseButton { MouseLeft, MouseRight, MouseButtonCount };

    float mouseX = 0.0f;
    float mouseY = 0.0f;
    std::array<bool, KeyCount> pressed{};
    std::array<bool, KeyCount> held{};
    std::array<bool, MouseButtonCount> mousePressed{};
    std::array<bool, MouseButtonCount> mouseHeld{};
    // Set by a left press that a touch made, until the finger lifts or a menu
    // has judged where it landed: a finger has no hover, so a tap acts only
    // where it lands.
    bool tapLanding = false;

    void onKeyDown(const SDL_KeyboardEvent& event);
    void onKeyUp(const SDL_KeyboardEvent& event);
    void onMouseButtonDown(const SDL_MouseButtonEvent& event);
    void onMouseButtonUp(const SDL_MouseButtonEvent& event);
};
