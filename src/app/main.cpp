// The process entry. SDL's main convention applies: where SDL2main supplies
// the real entry point, this function is renamed SDL_main and called by it.
#include "app/Game.h"
#include "core/Process.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

#ifdef __EMSCRIPTEN__
// In a web page the player's files come from the browser's storage before
// main runs, the browser runs the loop, a pass for each frame it shows, and
// the save is also written when the page is hidden or left, since it may
// never come back.
#include "core/web/Page.h"
#define IN_PAGE(...) __VA_ARGS__
#else
#define IN_PAGE(...)
#endif

namespace {
// The game and its input, from start-up to the game's end.
struct Run {
    std::unique_ptr<InputState> inputState = std::make_unique<InputState>();
    std::unique_ptr<InputHandler> inputHandler = std::make_unique<InputHandler>(*inputState);
    std::unique_ptr<Game> game = std::make_unique<Game>(*inputState, *inputHandler);
    // With no window at all nothing could be seen or asked to close: the game
    // ends after its report instead of running unseen.
    const bool seen = game->window != nullptr;

    // The loop's test.
    bool running() const {
        return seen && !inputHandler->quitRequested && !inputState->pressed[InputState::Escape];
    }

    // After the loop: the save written, everything released; the status.
    int end() {
        IN_PAGE(stopSavingOnLeave());
        game->shutdown();
        game.reset();
        inputHandler.reset();
        inputState.reset();
        return seen ? 0 : 1;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    (void)argc;
    (void)argv;
    prepareProcess();
    SDL_SetMainReady();
    // Every line reaches a log or a pipe as it is printed, so a game that is
    // killed loses none of the maps and messages it already printed.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    auto run = std::make_unique<Run>();
    IN_PAGE(saveOnLeave([](void* game) { static_cast<Game*>(game)->writeSaveData(); },
                        run->game.get()));
    // In a page main returns here, to the browser, which makes each pass: the
    // loop's test, then the game's pass for the frame it shows; then the end.
    IN_PAGE(loopInPage(
        [](void* context) {
            Run& playing = *static_cast<Run*>(context);
            if (!playing.running()) {
                return false;
            }
            playing.game->tickForShownFrame();
            return true;
        },
        [](void* context) { return std::unique_ptr<Run>(static_cast<Run*>(context))->end(); },
        run.release()));
    while (run->running()) {
        run->game->tick();
    }
    return run->end();
}
