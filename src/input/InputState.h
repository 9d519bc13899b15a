#pragma once
// What the player is pressing: the mouse position and a pressed/held pair of
// flags for each key and mouse button the game knows. `pressed` marks a fresh
// press until its release or until a consumer takes it; `held` lasts from
// down to up and stops key repeat from raising `pressed` again. A key may be
// held by the keyboard and by game controllers at once: it is one key, held
// until the last of them lets go.
#include <SDL.h>

#include <array>

class InputState {
  public:
    enum Key { Escape, Up, Down, Left, Right, X, Z, R, Return, KeyCount };
    enum MouseButton { MouseLeft, MouseRight, MouseButtonCount };
    // One bit for each thing that can hold a key: the keyboard, and two
    // for each controller (its buttons, its stick).
    using Holders = Uint32;
    static constexpr Holders keyboard = 1;

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
    // Who holds each key now.
    std::array<Holders, KeyCount> holders{};

    void onKeyDown(const SDL_KeyboardEvent& event);
    void onKeyUp(const SDL_KeyboardEvent& event);
    void onMouseButtonDown(const SDL_MouseButtonEvent& event);
    void onMouseButtonUp(const SDL_MouseButtonEvent& event);
    // `holder` takes the key: a fresh press unless it was held already.
    void holdKey(Key key, Holders holder);
    // `holder` lets go of the key, which is up once nothing holds it.
    void releaseKey(Key key, Holders holder);
};
