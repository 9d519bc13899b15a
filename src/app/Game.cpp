#include "app/Game.h"

#include "core/Clock.h"
#include "core/Display.h"
#include "core/Leftovers.h"
#include "core/Process.h"
#include "core/WorkingFolder.h"
#include "graphics/Sprite.h"
#include "level/Level.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {
// A start-up failure is shown until the player has seen it.
void waitForKey() {
    std::printf("Press any key to continue\n");
    std::fflush(stdout);
    std::getchar();
}

void reportStartupFailure(const char* what) {
    std::printf("%s initialisation failed: %s\n", what, SDL_GetError());
    waitForKey();
}

// Where it reaches no display, SDL falls back to a video driver that shows
// nothing: a game nobody can see, which nobody could end. Only a driver the
// player asked for by name is taken as it is.
bool displayReached() {
    if (SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr) {
        return true;
    }
    const char* const driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
           std::strcmp(driver, "dummy") != 0;
}

double since(int32_t earlier) {
    return static_cast<double>(Clock::difference(Clock::now(), earlier));
}

// The game whose save is still to be written if the process ends through
// exit() before the game's shutdown, as Xlib ends it when the display goes
// away. exit() calls back with nothing, so this is the one place that knows.
const Game* unsavedGame = nullptr;

void saveUnsavedGame() {
    if (unsavedGame != nullptr) {
        const Game* const game = unsavedGame;
        unsavedGame = nullptr;
        game->writeSaveData();
    }
}
} // namespace

Game::Game(InputState& inputState, InputHandler& inputHandler)
    : inputHandler(inputHandler), inputState(inputState) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // The font marks the game's folder best; a folder whose assets are gone
    // is still the game's by its data files.
    std::vector<std::string> gameFiles = dataFiles();
    gameFiles.insert(gameFiles.begin(), TextRenderer::fontPath);
    std::string problem;
    if (!enterGameFolder(gameFiles, problem)) {
        std::printf("%s\n", problem.c_str());
        waitForKey();
        return;
    }
    // Video first and sound on its own: sound that cannot start (no sound
    // server, a misspelt driver) must not take the picture with it.
    SDL_Init(SDL_INIT_VIDEO);
    if (!displayReached()) {
        std::printf("No display found: there is no screen to show the game's window on\n");
        waitForKey();
        return;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::printf("Sound initialisation failed, the game plays silent: %s\n", SDL_GetError());
    }
    inputHandler.controllers.start();
    quitOnHangUp();
    TTF_Init();
    removeLeftovers(dataFiles());
    settings = std::make_unique<Settings>();
    if (!createWindow()) {
        createDesktopSizedWindow();
    }
    renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
    if (!renderer) {
        reportStartupFailure("Renderer");
    }
    settings->window = window.get();
    settings->windowedPlace = {windowX, windowY};
    settings->fitPicture();
    loadSaveData();
    static const bool savesAtExit = std::atexit(saveUnsavedGame) == 0;
    unsavedGame = savesAtExit ? this : nullptr;
    particleField = std::make_unique<ParticleField>(renderer.get());
    textRenderer = std::make_unique<TextRenderer>(renderer.get(), SDL_Color{255, 255, 255, 0});
}

Game::~Game() {
    release();
}

std::vector<std::string> Game::dataFiles() {
    std::vector<std::string> files = {Settings::filePath, saveDataPath};
    for (int n = 0; n < Level::generatedCount; ++n) {
        files.push_back(Level::generatedFileName(n));
    }
    return files;
}

bool Game::createWindow() {
    openWindow(settings->windowWidth, settings->windowHeight);
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
    openWindow(static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h));
    return window != nullptr;
}

void Game::openWindow(uint32_t width, uint32_t height) {
    const Uint32 flags = settings->fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    const SDL_Rect area =
        Settings::windowAreaOn(0, {windowX, windowY}, width, height, settings->fullscreen);
    window.reset(SDL_CreateWindow(title, area.x, area.y, area.w, area.h, flags));
    // Only for a window: loading the icon would clear SDL's word on why there is none.
    const SurfaceHandle icon = window ? Sprite::loadBitmap(iconPath) : nullptr;
    if (icon) {
        SDL_SetWindowIcon(window.get(), icon.get());
    }
}

void Game::tick() {
    // Both intervals count from the end of the previous step.
    updateWhenDue();
    if (since(lastRenderTime) > frameInterval) {
        drawFrame();
        lastRenderTime = Clock::now();
    }
}

void Game::tickForShownFrame() {
    // The frame's time is when its pass begins, as the host calls it.
    const int32_t now = Clock::now();
    const auto waited = static_cast<double>(Clock::difference(now, lastShownFrameTime));
    updateWhenDue();
    if (waited >= nextFrameDue - frameLeeway) {
        drawFrame();
        lastRenderTime = Clock::now();
        lastShownFrameTime = now;
        nextFrameDue = std::max(nextFrameDue + frameInterval - waited, 0.0);
    }
}

void Game::updateWhenDue() {
    if (since(lastUpdateTime) > updateInterval) {
        update();
        lastUpdateTime = Clock::now();
    }
}

void Game::update() {
    updateElapsed = since(lastUpdateTime) / 1000.0;
    inputHandler.poll();
    if (fullScreenEnded()) {
        leaveFullScreen();
    }
    if (roomTurned()) {
        fitTurnedRoom();
    }
    if (scene == 0) {
        updateMenuScene();
    } else if (scene == 1) {
        updateGameScene();
    }
}

void Game::leaveFullScreen() const {
    settings->fullscreen = false;
    displayChanged();
}

void Game::fitTurnedRoom() const {
    if (settings->fitHostRoom()) {
        displayChanged();
    }
}

void Game::displayChanged() const {
    settings->applyDisplayMode();
    settings->save();
    if (menu) {
        menu->releaseButtons();
        menu->buildButtons();
        if (menu->optionsMenu) {
            menu->optionsMenu->rebuildControls();
        }
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
    // A game that never had a window has played nothing: the player's save
    // stays as it was.
    if (!released && window) {
        unsavedGame = nullptr;
        writeSaveData();
    }
    release();
}

void Game::release() {
    if (released) {
        return;
    }
    released = true;
    if (unsavedGame == this) {
        unsavedGame = nullptr;
    }
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
    inputHandler.controllers.stop();
    TTF_Quit();
    SDL_Quit();
}
