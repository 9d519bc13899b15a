// The right mouse button has flags of its own; releases of keys and buttons
// the game does not know change nothing.
#include "input/InputState.h"

#include <gtest/gtest.h>

namespace {

SDL_MouseButtonEvent button(Uint8 which) {
    SDL_MouseButtonEvent event{};
    event.button = which;
    return event;
}

TEST(InputStateTest, RightButtonIsKeptApartFromLeft) {
    InputState state;
    state.onMouseButtonDown(button(SDL_BUTTON_RIGHT));
    EXPECT_TRUE(state.mousePressed[InputState::MouseRight]);
    EXPECT_TRUE(state.mouseHeld[InputState::MouseRight]);
    EXPECT_FALSE(state.mousePressed[InputState::MouseLeft]);
    EXPECT_FALSE(state.mouseHeld[InputState::MouseLeft]);

    state.onMouseButtonDown(button(SDL_BUTTON_LEFT));
    state.onMouseButtonUp(button(SDL_BUTTON_RIGHT));
    EXPECT_FALSE(state.mousePressed[InputState::MouseRight]);
    EXPECT_FALSE(state.mouseHeld[InputState::MouseRight]);
    EXPECT_TRUE(state.mousePressed[InputState::MouseLeft]);
    EXPECT_TRUE(state.mouseHeld[InputState::MouseLeft]);
}

TEST(InputStateTest, UnknownReleasesChangeNothing) {
    InputState state;
    SDL_KeyboardEvent down{};
    down.keysym.sym = SDLK_UP;
    state.onKeyDown(down);
    state.onMouseButtonDown(button(SDL_BUTTON_LEFT));
    const InputState before = state;

    SDL_KeyboardEvent up{};
    up.keysym.sym = SDLK_a;
    state.onKeyUp(up);
    state.onMouseButtonUp(button(SDL_BUTTON_MIDDLE));
    EXPECT_EQ(state.pressed, before.pressed);
    EXPECT_EQ(state.held, before.held);
    EXPECT_EQ(state.mousePressed, before.mousePressed);
    EXPECT_EQ(state.mouseHeld, before.mouseHeld);
}

} // namespace
