// Events from SDL's real queue through the InputHandler into the InputState.
#include "input/InputHandler.h"
#include "support/SdlSession.h"

#include <gtest/gtest.h>

namespace {

struct InputHandlerTest : testing::Test {
    void SetUp() override {
        window = SDL_CreateWindow("input", 0, 0, 200, 200, SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        putMouseAt(0, 0);
    }
    void TearDown() override { SDL_DestroyWindow(window); }
    // Moves SDL's own mouse position and drops the event that reports it.
    void putMouseAt(int x, int y) const {
        SDL_WarpMouseInWindow(window, x, y);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    // `code` is the keycode of a key event or the button number of a mouse button event.
    static void push(Uint32 type, SDL_Keycode code = 0, Uint8 repeat = 0) {
        SDL_Event event{};
        event.type = type;
        event.key.repeat = repeat;
        event.key.keysym.sym = code;
        event.button.button = static_cast<Uint8>(code);
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }
    SdlSession sdl;
    SDL_Window* window = nullptr;
    InputState state;
    InputHandler handler{state};
};

TEST_F(InputHandlerTest, PressNeedsToOutliveThePollAndRepeatsDoNotRenewIt) {
    push(SDL_KEYDOWN, SDLK_UP);
    push(SDL_KEYUP, SDLK_UP);
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    push(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    handler.poll();
    EXPECT_FALSE(state.pressed[InputState::Up]);
    EXPECT_FALSE(state.held[InputState::Up]);
    EXPECT_FALSE(state.mousePressed[InputState::MouseLeft]);
    EXPECT_FALSE(state.mouseHeld[InputState::MouseLeft]);

    push(SDL_KEYDOWN, SDLK_RETURN);
    push(SDL_KEYDOWN, SDLK_RETURN, 1);
    handler.poll();
    EXPECT_TRUE(state.pressed[InputState::Return]);
    state.pressed[InputState::Return] = false; // a consumer takes the press
    push(SDL_KEYDOWN, SDLK_RETURN, 1);
    handler.poll();
    EXPECT_FALSE(state.pressed[InputState::Return]);
    EXPECT_TRUE(state.held[InputState::Return]);
    push(SDL_KEYUP, SDLK_RETURN);
    push(SDL_KEYDOWN, SDLK_RETURN);
    handler.poll();
    EXPECT_TRUE(state.pressed[InputState::Return]);
}

TEST_F(InputHandlerTest, QuitKeepsTheMouseAndLaterEventsStillCount) {
    putMouseAt(40, 30);
    push(SDL_KEYDOWN, SDLK_x);
    handler.poll();
    ASSERT_EQ(state.mouseX, 40.0f);
    putMouseAt(70, 80);
    push(SDL_QUIT);
    handler.poll();
    EXPECT_TRUE(handler.quitRequested);
    EXPECT_EQ(state.mouseX, 40.0f);
    EXPECT_EQ(state.mouseY, 30.0f);

    push(SDL_QUIT);
    push(SDL_KEYDOWN, SDLK_DOWN);
    handler.poll();
    EXPECT_TRUE(state.pressed[InputState::Down]);
    EXPECT_EQ(state.mouseX, 70.0f);
    EXPECT_EQ(state.mouseY, 80.0f);
}

TEST_F(InputHandlerTest, MiddleButtonAndKeypadEnterOnlyRefreshTheMouse) {
    putMouseAt(55, 66);
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE);
    push(SDL_KEYDOWN, SDLK_KP_ENTER);
    handler.poll();
    EXPECT_EQ(state.mouseX, 55.0f);
    EXPECT_EQ(state.mouseY, 66.0f);
    const InputState untouched;
    EXPECT_EQ(state.mousePressed, untouched.mousePressed);
    EXPECT_EQ(state.mouseHeld, untouched.mouseHeld);
    EXPECT_EQ(state.pressed, untouched.pressed);
    EXPECT_EQ(state.held, untouched.held);
}

} // namespace
