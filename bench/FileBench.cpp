// The file work behind "New Game" and behind entering a screen.
#include "level/Level.h"
#include "level/LevelGenerator.h"
#include "settings/Settings.h"
#include "ui/MainMenu.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
// The maps are printed as the game prints them, into the void.
class QuietStdout {
  public:
    QuietStdout() : saved(dup(fileno(stdout))) {
        std::fflush(stdout);
        // Without /dev/null (or a copy of stdout to restore it from) the maps are printed.
        const int nowhere = saved < 0 ? -1 : open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere >= 0) {
            dup2(nowhere, fileno(stdout));
            close(nowhere);
        }
    }
    ~QuietStdout() {
        std::fflush(stdout);
        if (saved >= 0) {
            dup2(saved, fileno(stdout));
            close(saved);
        }
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

  private:
    int saved;
};

// Ten levels generated, printed and written, as "New Game" does it.
void BM_NewGame(benchmark::State& state) {
    InputState input;
    InputHandler handler(input);
    Settings settings;
    TextRenderer text(nullptr, SDL_Color{255, 255, 255, 0});
    int32_t scene = 0;
    QuietStdout quiet;
    MainMenu menu(nullptr, input, handler, text, settings, scene);
    for ([[maybe_unused]] auto _ : state) {
        menu.startNewGame();
    }
}
BENCHMARK(BM_NewGame)->Unit(benchmark::kMillisecond);

void BM_SettingsLoad(benchmark::State& state) {
    for ([[maybe_unused]] auto _ : state) {
        Settings settings;
        benchmark::DoNotOptimize(settings.windowWidth);
    }
}
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMicrosecond);

// The largest map a new game can make.
void BM_LevelLoad(benchmark::State& state) {
    {
        QuietStdout quiet;
        LevelGenerator generator;
        do {
            std::srand(static_cast<unsigned>(std::rand()));
            generator.generate("Resources/Data/level0.level");
        } while (generator.width != 150 || generator.height != 150);
    }
    for ([[maybe_unused]] auto _ : state) {
        Level level;
        level.loadFromFile();
        benchmark::DoNotOptimize(level.height);
    }
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMicrosecond);
} // namespace
