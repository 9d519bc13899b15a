// The main menu: layout, navigation by mouse and keys, and its actions.
#include "ui/MainMenu.h"
#include "support/ScreenRig.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct MainMenuTest : testing::Test, ScreenRig {
    MainMenuTest() : ScreenRig(1000, 800) {}
    void SetUp() override {
        writeBitmap(Button::bitmapPath, 10, 20, [](int, int) { return Rgb{100, 100, 100}; });
        settings.windowWidth = 1000;
        settings.windowHeight = 800;
        menu = std::make_unique<MainMenu>(canvas.renderer(), input, handler, text, settings, scene);
    }
    // The tint of each entry's background: 'G' green, 'W' white, '?' anything else.
    std::string tints() const {
        std::string result;
        for (const auto& button : menu->buttons) {
            Uint8 r = 0;
            Uint8 g = 0;
            Uint8 b = 0;
            SDL_GetTextureColorMod(button->sprite->texture.get(), &r, &g, &b);
            result += r == 0 && g == 255 && b == 0 ? 'G' : r + g + b == 765 ? 'W' : '?';
        }
        return result;
    }
    int32_t scene = 0;
    std::unique_ptr<MainMenu> menu;
};

TEST_F(MainMenuTest, EntriesAreStackedInTheLowerWindow) {
    ASSERT_EQ(menu->buttonCount, 4);
    const char* labels[] = {"Continue", "New Game", "Options", "Quit"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(menu->buttons[i]->label, labels[i]);
        EXPECT_FLOAT_EQ(menu->buttons[i]->x, 500.0f);
        EXPECT_FLOAT_EQ(menu->buttons[i]->y, 480.0f + 80.0f * static_cast<float>(i));
    }
    EXPECT_EQ(menu->selected, 1);
}

TEST_F(MainMenuTest, UpAndDownWrapOneMoveAStep) {
    const auto step = [&](bool up, bool down) {
        input.pressed[InputState::Up] = up || input.pressed[InputState::Up];
        input.pressed[InputState::Down] = down || input.pressed[InputState::Down];
        menu->update();
        return menu->selected;
    };
    EXPECT_EQ(step(true, false), 0);
    EXPECT_EQ(step(true, false), 3);
    EXPECT_EQ(step(false, true), 0);
    EXPECT_EQ(step(true, true), 3); // Up wins, Down waits
    EXPECT_TRUE(input.pressed[InputState::Down]);
    EXPECT_EQ(step(false, false), 0);
    EXPECT_FALSE(input.pressed[InputState::Down]);
    EXPECT_EQ(tints(), "WWWG"); // tinted before the keys were read
}

TEST_F(MainMenuTest, HoverSelectsAndTintsGreen) {
    input.mouseX = 500.0f;
    input.mouseY = 640.0f;
    menu->update();
    EXPECT_EQ(menu->selected, 2);
    menu->update();
    EXPECT_EQ(tints(), "WWGW");
    input.pressed[InputState::Down] = true; // lasts one step under the mouse
    menu->update();
    EXPECT_EQ(menu->selected, 3);
    menu->update();
    EXPECT_EQ(menu->selected, 2);
}

TEST_F(MainMenuTest, PressAnywhereActivatesOnceAndQuitQuits) {
    menu->select(3);
    input.mousePressed[InputState::MouseLeft] = true;
    menu->update();
    EXPECT_TRUE(handler.quitRequested);
    EXPECT_FALSE(input.mousePressed[InputState::MouseLeft]);

    // Return held down (its press taken) does not activate again.
    handler.quitRequested = false;
    input.pressed[InputState::Return] = true;
    input.held[InputState::Return] = true;
    menu->update();
    EXPECT_TRUE(handler.quitRequested);
    EXPECT_FALSE(input.pressed[InputState::Return]);
    handler.quitRequested = false;
    SDL_KeyboardEvent repeat{};
    repeat.keysym.sym = SDLK_RETURN;
    input.onKeyDown(repeat);
    menu->update();
    EXPECT_FALSE(handler.quitRequested);
    EXPECT_EQ(menu->action, MainMenuAction::None);

    menu->select(1);
    input.pressed[InputState::Return] = true;
    menu->update();
    EXPECT_EQ(menu->action, MainMenuAction::NewGame);
    menu->render();
    EXPECT_EQ(canvas.paintedBox().w, 0);
}

TEST_F(MainMenuTest, ATapActsOnlyOnTheEntryUnderTheFingerAClickAnywhere) {
    SDL_Window* const window = SDL_CreateWindow("tap", 0, 0, 1000, 800, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    // A left press and its release at (x, y), from a finger (SDL's touch
    // mouse) or from the mouse, each seen by an update.
    const auto press = [&](int x, int y, Uint32 which) {
        SDL_WarpMouseInWindow(window, x, y);
        for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event event{};
            event.type = type;
            event.button.which = which;
            event.button.button = SDL_BUTTON_LEFT;
            ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
            handler.poll();
            menu->update();
        }
    };
    press(500, 100, SDL_TOUCH_MOUSEID); // the picture's empty top
    EXPECT_EQ(menu->action, MainMenuAction::None);
    EXPECT_EQ(menu->selected, 1);
    menu->select(3);
    press(500, 100, 0);
    EXPECT_TRUE(handler.quitRequested);
    press(500, 480, SDL_TOUCH_MOUSEID); // on "Continue"
    EXPECT_EQ(menu->action, MainMenuAction::Continue);
    SDL_DestroyWindow(window);
}

TEST_F(MainMenuTest, ContinueEntersTheGameAtTheNextUpdate) {
    menu->select(0);
    input.pressed[InputState::Return] = true;
    menu->update();
    EXPECT_EQ(menu->action, MainMenuAction::Continue);
    EXPECT_EQ(scene, 0);
    menu->update();
    EXPECT_EQ(scene, 1);
    menu->render();
    EXPECT_EQ(canvas.paintedBox().w, 0);
    EXPECT_FALSE(workspace.exists("Resources/Data/level0.level"));
}

} // namespace
