// One drawn frame of each screen, as the main loop draws it, each timed
// against bare SDL calls that draw the very same picture.
#include "BareMainMenu.h"
#include "BareMap.h"
#include "BareOptionsMenu.h"
#include "PairedFrames.h"
#include "app/Game.h"
#include "core/Clock.h"
#include "level/Level.h"
#include "support/ScreenRig.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {
constexpr int frameWidth = 1280;
constexpr int frameHeight = 720;
// Blocks of four frames per comparison, about two seconds of processor time
// each: enough that the median of the block ratios holds from run to run on a
// busy machine.
constexpr int mainMenuBlocks = 300;
constexpr int optionsMenuBlocks = 120;
constexpr int mapBlocks = 600;
constexpr int largestMapBlocks = 60;

// A 1280 x 720 screen in a scratch workspace of its own.
struct Screen : ScreenRig {
    int32_t scene = 0;

    Screen() : ScreenRig(frameWidth, frameHeight) {
        settings.windowWidth = frameWidth;
        settings.windowHeight = frameHeight;
    }
};

void writeSquareLevel(int size) {
    std::ofstream file("Resources/Data/level0.level", std::ios::binary | std::ios::trunc);
    for (int row = 0; row < size; ++row) {
        file << std::string(static_cast<size_t>(size), '1') << "\r\n";
    }
}

void BM_MainMenuFrameVsBareSdl(benchmark::State& state) {
    Screen screen;
    MainMenu menu(screen.canvas.renderer(), screen.input, screen.handler, screen.text,
                  screen.settings, screen.scene);
    const BareMainMenu bare(screen.canvas.renderer(), frameWidth, frameHeight);
    PairedFrames(
        "main menu", screen.canvas.renderer(), [&] { menu.render(); }, [&] { bare.draw(); })
        .run(state);
}
BENCHMARK(BM_MainMenuFrameVsBareSdl)->Iterations(mainMenuBlocks)->Unit(benchmark::kMicrosecond);

// Volumes off the bar's ends, so that the knobs' places are checked too.
void BM_OptionsMenuFrameVsBareSdl(benchmark::State& state) {
    Screen screen;
    screen.settings.musicVolume = 35;
    screen.settings.fxVolume = 80;
    OptionsMenu menu(screen.canvas.renderer(), screen.input, screen.handler, screen.text,
                     screen.settings);
    const BareOptionsMenu bare(screen.canvas.renderer(), screen.settings);
    PairedFrames(
        "options menu", screen.canvas.renderer(), [&] { menu.render(); }, [&] { bare.draw(); })
        .run(state);
}
BENCHMARK(BM_OptionsMenuFrameVsBareSdl)
    ->Iterations(optionsMenuBlocks)
    ->Unit(benchmark::kMicrosecond);

// An all-floor map of the given size, the player at its start.
void BM_MapFrameVsBareSdl(benchmark::State& state) {
    Screen screen;
    const auto size = static_cast<int>(state.range(0));
    writeSquareLevel(size);
    GameScene gameScene(screen.canvas.renderer(), screen.handler, screen.input, screen.text,
                        screen.settings);
    gameScene.update(0.011);
    const BareMap bare(screen.canvas.renderer(), size, frameWidth, frameHeight);
    PairedFrames(
        "map", screen.canvas.renderer(), [&] { gameScene.render(); }, [&] { bare.draw(); })
        .run(state);
}
BENCHMARK(BM_MapFrameVsBareSdl)
    ->Arg(40)
    ->Arg(150)
    ->Iterations(mapBlocks)
    ->Unit(benchmark::kMicrosecond);
// The largest map the game reads: some twelve times the cells of a 150 x 150
// map, and as many times its frame's time, so fewer blocks.
BENCHMARK(BM_MapFrameVsBareSdl)
    ->Arg(Level::maxRows)
    ->Iterations(largestMapBlocks)
    ->Unit(benchmark::kMicrosecond);

// Start-up through the first update (which builds the main menu) and the
// first presented frame, without the loop's own 17 ms wait.
void BM_StartupToFirstFrame(benchmark::State& state) {
    for ([[maybe_unused]] auto _ : state) {
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
