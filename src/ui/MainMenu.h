#pragma once
// The menu the game opens on: "Continue", "New Game", "Options", "Quit".
// An entry sets a pending action that the next update carries out.
#include "ui/Menu.h"
#include "ui/OptionsMenu.h"

#include <cstdint>

enum class MainMenuAction : int32_t { None = 0, NewGame = 1, Continue = 2, Options = 3 };

class MainMenu final : public Menu {
  public:
    MainMenu(SDL_Renderer* renderer, InputState& inputState, InputHandler& inputHandler,
             TextRenderer& textRenderer, Settings& settings, int32_t& scene);

    void activate() override;
    void select(int index) override { selected = index; }
    int selectedIndex() override { return selected; }
    void update() override;
    void render() override;

    // Lays the four entries out for the current window size.
    void buildButtons();
    // Shows the options menu; closes it and lays the entries out again once
    // it asks to close.
    void runOptions();
    // Writes ten fresh levels, then enters the game scene.
    void startNewGame();

    MainMenuAction action = MainMenuAction::None;
    std::unique_ptr<OptionsMenu> optionsMenu;
    int32_t& scene;
};
