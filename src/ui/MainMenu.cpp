#include "ui/MainMenu.h"

#include "level/Level.h"
#include "level/LevelGenerator.h"

#include <cstdlib>
#include <ctime>

namespace {
struct Entry {
    const char* label;
    float heightFactor;
};
constexpr Entry entries[] = {
    {"Continue", 0.6f},
    {"New Game", 0.7f},
    {"Options", 0.8f},
    {"Quit", 0.9f},
};
} // namespace

MainMenu::MainMenu(SDL_Renderer* renderer, InputState& inputState, InputHandler& inputHandler,
                   TextRenderer& textRenderer, Settings& settings, int32_t& scene)
    : Menu(renderer, inputState, inputHandler, textRenderer, settings), scene(scene) {
    buildButtons();
    selected = 1;
}

void MainMenu::buildButtons() {
    const auto width = static_cast<float>(settings.windowWidth);
    const auto height = static_cast<float>(settings.windowHeight);
    for (const Entry& entry : entries) {
        buttons.push_back(std::make_unique<Button>(renderer, textRenderer, entry.label,
                                                   0.5f * width, entry.heightFactor * height));
    }
    buttonCount = static_cast<int>(buttons.size());
}

void MainMenu::activate() {
    switch (selected) {
    case 0:
        action = MainMenuAction::Continue;
        break;
    case 1:
        action = MainMenuAction::NewGame;
        break;
    case 2:
        action = MainMenuAction::Options;
        break;
    case 3:
        inputHandler.quitRequested = true;
        break;
    default:
        break;
    }
}

void MainMenu::update() {
    switch (action) {
    case MainMenuAction::None:
        navigate();
        break;
    case MainMenuAction::NewGame:
        startNewGame();
        break;
    case MainMenuAction::Continue:
        scene = 1;
        break;
    case MainMenuAction::Options:
        runOptions();
        break;
    }
}

void MainMenu::render() {
    if (action == MainMenuAction::None) {
        for (auto& button : buttons) {
            button->render();
        }
    } else if (action == MainMenuAction::Options && optionsMenu) {
        optionsMenu->render();
    }
}

void MainMenu::runOptions() {
    if (!optionsMenu) {
        optionsMenu = std::make_unique<OptionsMenu>(renderer, inputState, inputHandler,
                                                    textRenderer, settings);
    }
    optionsMenu->update();
    if (optionsMenu->closeRequested) {
        action = MainMenuAction::None;
        optionsMenu.reset();
        // "Apply" may have changed the window size.
        releaseButtons();
        buildButtons();
    }
}

void MainMenu::startNewGame() {
    for (int n = 0; n < Level::generatedCount; ++n) {
        LevelGenerator generator;
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        generator.generate(Level::generatedFileName(n).c_str());
    }
    scene = 1;
}
