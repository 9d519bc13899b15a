#include "app/Game.h"

#include "core/Clock.h"

#include <SDL_ttf.h>

#include <csignal>
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
    return static_cast<double>(Clock::difference(Clock::now(), earlier));
}

// SDL turns SIGTERM into a quit request; a closed terminal's SIGHUP is made
// one too, so that the game still ends through its exit save.
void hangUpAsTerminate(int /*signal*/) {
    std::raise(SIGTERM);
}

// A closed standard output (its reader gone) only loses the lines printed to
// it; a closed terminal ends the game the way a kill does. SDL must already
// have set up its own handlers.
void takeOverSignals() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGHUP, hangUpAsTerminate);
}
} // namespace

Game::Game(InputState& inputState, InputHandler& inputHandler)
    : inputHandler(inputHandler), inputState(inputState) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO);
    takeOverSignals();
    TTF_Init();
    settings = std::make_unique<Settings>();
    if (!createWindow()) {
        createDesktopSizedWindow();
    }
    renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
    if (!renderer) {
        reportStartupFailure("Renderer");
    }
    settings->window = window.get();
    loadSaveData();
    particleField = std::make_unique<ParticleField>(renderer.get());
    textRenderer = std::make_unique<TextRenderer>(renderer.get(), SDL_Color{255, 255, 255, 0});
}

Game::~Game() {
    release();
}

bool Game::createWindow() {
    openWindow(static_cast<int>(settings->windowWidth), static_cast<int>(settings->windowHeight));
    if (!window) {
        reportStartupFailure("Window");
        return false;
    }
    return true;
}

bool Game::createDesktopSizedWindow() {
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return false;
    }
    openWindow(desktop.w, desktop.h);
    return window != nullptr;
}

void Game::openWindow(int width, int height) {
    const Uint32 flags = settings->fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    window.reset(SDL_CreateWindow(title, windowX, windowY, width, height, flags));
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

void Game::drawFrame() const {
    SDL_RenderClear(renderer.get());
    if (menu) {
        menu->render();
    } else if (gameScene) {
        gameScene->render();
    }
    particleField->draw();
    SDL_RenderPresent(renderer.get());
}

void Game::updateMenuScene() {
    gameScene.reset();
    if (!menu) {
        menu = std::make_unique<MainMenu>(renderer.get(), inputState, inputHandler, *textRenderer,
                                          *settings, scene);
    }
    menu->update();
}

void Game::updateGameScene() {
    menu.reset();
    if (!gameScene) {
        gameScene = std::make_unique<GameScene>(renderer.get(), inputHandler, inputState,
                                                *textRenderer, *settings);
    }
    gameScene->update(updateElapsed);
}

bool Game::loadSaveData() {
    return saveData.readFrom(saveDataPath);
}

void Game::writeSaveData() const {
    saveData.writeTo(saveDataPath);
}

void Game::shutdown() {
    if (!released) {
        writeSaveData();
    }
    release();
}

void Game::release() {
    if (released) {
        return;
    }
    released = true;
    // By hand, because the members' own order would be wrong: everything
    // drawn with the renderer goes before it, the renderer before its window,
    // and all of it before SDL_ttf and SDL themselves are shut down.
    menu.reset();
    gameScene.reset();
    particleField.reset();
    textRenderer.reset();
    renderer.reset();
    window.reset();
    settings.reset();
    TTF_Quit();
    SDL_Quit();
}
