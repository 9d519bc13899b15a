// One drawn frame of each screen, as the main loop draws it.
#include "app/Game.h"
#include "core/Clock.h"
#include "support/ScreenRig.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {
constexpr int frameWidth = 1280;
constexpr int frameHeight = 720;

// A 1280 x 720 screen in a scratch workspace of its own.
struct Screen : ScreenRig {
    int32_t scene = 0;

    Screen() : ScreenRig(frameWidth, frameHeight) {
        settings.windowWidth = frameWidth;
        settings.windowHeight = frameHeight;
    }
    void clear() const { SDL_RenderClear(canvas.renderer()); }
};

void writeSquareLevel(int size) {
    std::ofstream file("Resources/Data/level0.level", std::ios::binary | std::ios::trunc);
    for (int row = 0; row < size; ++row) {
        file << std::string(static_cast<size_t>(size), '1') << "\r\n";
    }
}

void BM_MainMenuFrame(benchmark::State& state) {
    Screen screen;
    MainMenu menu(screen.canvas.renderer(), screen.input, screen.handler, screen.text,
                  screen.settings, screen.scene);
    for (auto _ : state) {
        screen.clear();
        menu.render();
    }
}
BENCHMARK(BM_MainMenuFrame)->Unit(benchmark::kMicrosecond);

void BM_OptionsMenuFrame(benchmark::State& state) {
    Screen screen;
    OptionsMenu menu(screen.canvas.renderer(), screen.input, screen.handler, screen.text,
                     screen.settings);
    for (auto _ : state) {
        screen.clear();
        menu.render();
    }
}
BENCHMARK(BM_OptionsMenuFrame)->Unit(benchmark::kMicrosecond);

// An all-floor map of the given size, the player at its start.
void BM_MapFrame(benchmark::State& state) {
    Screen screen;
    writeSquareLevel(static_cast<int>(state.range(0)));
    GameScene gameScene(screen.canvas.renderer(), screen.handler, screen.input, screen.text,
                        screen.settings);
    gameScene.update(0.011);
    for (auto _ : state) {
        screen.clear();
        gameScene.render();
    }
}
BENCHMARK(BM_MapFrame)->Arg(40)->Arg(150)->Unit(benchmark::kMicrosecond);

// Start-up through the first update (which builds the main menu) and the
// first presented frame, without the loop's own 17 ms wait.
void BM_StartupToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        Clock::setManual(0);
        InputState input;
        InputHandler handler(input);
        Game game(input, handler);
        Clock::setManual(17);
        game.tick();
        benchmark::DoNotOptimize(game.lastRenderTime);
        game.shutdown();
    }
    Clock::useWallClock();
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond);
} // namespace
