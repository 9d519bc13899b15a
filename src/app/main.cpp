// The process entry. SDL's main convention applies: where SDL2main supplies
// the real entry point, this function is renamed SDL_main and called by it.
#include "app/Game.h"
#include "core/Process.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

#ifdef __EMSCRIPTEN__
// In a web page the player's files come from the browser's storage, the loop
// gives the page its turn after each step, and the save is also written when
// the page is hidden or left, since it may never come back.
#include "core/web/Page.h"
#define IN_PAGE(...) __VA_ARGS__
#else
#define IN_PAGE(...)
#endif

int main(int argc, char* argv[]) {
    (void)argc;
    (void)argv;
    prepareProcess();
    IN_PAGE(loadPlayerFiles("Resources/Data"));
    SDL_SetMainReady();
    // Every line reaches a log or a pipe as it is printed, so a game that is
    // killed loses none of the maps and messages it already printed.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    auto inputState = std::make_unique<InputState>();
    auto inputHandler = std::make_unique<InputHandler>(*inputState);
    auto game = std::make_unique<Game>(*inputState, *inputHandler);
    // With no window at all nothing could be seen or asked to close: the game
    // ends after its report instead of running unseen.
    const bool seen = game->window != nullptr;
    IN_PAGE(saveOnLeave([](void* running) { static_cast<Game*>(running)->writeSaveData(); },
                        game.get()));
    while (seen && !inputHandler->quitRequested && !inputState->pressed[InputState::Escape]) {
        game->tick();
        IN_PAGE(yieldToPage());
    }
    IN_PAGE(stopSavingOnLeave());
    game->shutdown();
    game.reset();
    inputHandler.reset();
    inputState.reset();
    const int status = seen ? 0 : 1;
    IN_PAGE(endInPage(status));
    return status;
}
