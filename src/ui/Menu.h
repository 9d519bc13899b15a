#pragma once
// What both menus share: the shared objects, the controls and the selection,
// and the one navigation rule (hover selects, Up/Down wrap, Return or a left
// press activates the selected control; a tap only the control it lands on).
#include "graphics/TextRenderer.h"
#include "input/InputHandler.h"
#include "input/InputState.h"
#include "settings/Settings.h"
#include "ui/Button.h"

#include <memory>
#include <vector>

class Menu {
  public:
    Menu(SDL_Renderer* renderer, InputState& inputState, InputHandler& inputHandler,
         TextRenderer& textRenderer, Settings& settings);
    virtual ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    // Carries out the selected control.
    virtual void activate() {}
    virtual void select(int index) { (void)index; }
    virtual int selectedIndex() { return 0; }
    virtual void update() {}
    virtual void render() {}

    // One step of hover, keyboard, highlight and activation.
    void navigate();
    void releaseButtons();

    SDL_Renderer* renderer;
    InputState& inputState;
    InputHandler& inputHandler;
    TextRenderer& textRenderer;
    Settings& settings;
    std::vector<std::unique_ptr<Button>> buttons;
    int buttonCount = 0;
    int selected = 0;

  protected:
    // Whether the press on the selected control should stay standing.
    bool selectedIsSlider();
};
