#include "app/Game.h"

#include "app/Clock.h"

#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
// A start-up failure is shown until the player has seen it.
void reportStartupFailure(const char* what) {
    std::printf("%s initialisation failed: %s\n", what, SDL_GetError());
    std::printf("Press any key to continue\n");
    std::fflush(stdout);
    std::getchar();
}

double since(int32_t earlier) {
    return static_cast<double>(Clock::now() - earlier);
}
} // namespace

Game::Game(InputState& inputState, InputHandler& inputHandler)
    : inputHandler(inputHandler), inputState(inputState) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO);
    TTF_Init();
    settings = std::make_unique<Settings>();
    createWindow();
    renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) {
        reportStartupFailure("Renderer");
    }
    settings->window = window;
    loadSaveData();
    particleField = std::make_unique<ParticleField>(renderer);
    textRenderer = std::make_unique<TextRenderer>(renderer, SDL_Color{255, 255, 255, 0});
}

bool Game::createWindow() {
    const Uint32 flags = settings->fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    window = SDL_CreateWindow(title, 250, 50, static_cast<int>(settings->windowWidth),
                              static_cast<int>(settings->windowHeight), flags);
    if (window == nullptr) {
        reportStartupFailure("Window");
        return false;
    }
    return true;
}

void Game::tick() {
    // Both intervals count from the end of the previous step.
    if (since(lastUpdateTime) > updateInterval) {
        update();
        lastUpdateTime = Clock::now();
    }
    if (since(lastRenderTime) > frameInterval) {
        drawFrame();
        lastRenderTime = Clock::now();
    }
}

void Game::update() {
    updateElapsed = since(lastUpdateTime) / 1000.0;
    inputHandler.poll();
    if (scene == 0) {
        updateMenuScene();
    } else if (scene == 1) {
        updateGameScene();
    }
}

void Game::drawFrame() {
    SDL_RenderClear(renderer);
    if (menu) {
        menu->render();
    } else if (gameScene) {
        gameScene->render();
    }
    particleField->draw();
    SDL_RenderPresent(renderer);
}

void Game::updateMenuScene() {
    gameScene.reset();
    if (!menu) {
        menu = std::make_unique<MainMenu>(renderer, inputState, inputHandler, *textRenderer,
                                          *settings, scene);
    }
    menu->update();
}

void Game::updateGameScene() {
    menu.reset();
    if (!gameScene) {
        gameScene = std::make_unique<GameScene>(renderer, inputHandler, inputState, *textRenderer,
                                                *settings);
    }
    gameScene->update(updateElapsed);
}

bool Game::loadSaveData() {
    return saveData.readFrom(saveDataPath);
}

void Game::writeSaveData() {
    saveData.writeTo(saveDataPath);
}

void Game::shutdown() {
    writeSaveData();
    menu.reset();
    gameScene.reset();
    particleField.reset();
    textRenderer.reset();
    if (renderer != nullptr) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
    }
    if (window != nullptr) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    settings.reset();
    TTF_Quit();
    SDL_Quit();
}
