#include "PairedFrames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
// Reads the whole canvas back, one ARGB value per pixel.
std::vector<Uint32> readCanvas(SDL_Renderer* renderer) {
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    std::vector<Uint32> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                         width * static_cast<int>(sizeof(Uint32)));
    return pixels;
}

std::vector<Uint32> drawnPicture(SDL_Renderer* renderer, const PairedFrames::Frame& frame) {
    SDL_RenderClear(renderer);
    frame();
    return readCanvas(renderer);
}

void requireSamePicture(const char* what, SDL_Renderer* renderer, const PairedFrames::Frame& game,
                        const PairedFrames::Frame& bare) {
    SDL_RenderClear(renderer);
    const std::vector<Uint32> blank = readCanvas(renderer);
    const std::vector<Uint32> gamePixels = drawnPicture(renderer, game);
    const std::vector<Uint32> barePixels = drawnPicture(renderer, bare);
    if (gamePixels == blank) {
        std::fprintf(stderr, "%s: the game's frame is empty, nothing to compare\n", what);
        std::abort();
    }
    int width = 0;
    SDL_GetRendererOutputSize(renderer, &width, nullptr);
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = gamePixels.size(); i-- > 0;) {
        if (gamePixels[i] != barePixels[i]) {
            ++differing;
            first = i;
        }
    }
    if (differing != 0) {
        const auto columns = static_cast<size_t>(width);
        std::fprintf(stderr,
                     "%s: the bare SDL frame differs from the game's in %zu pixels, first at "
                     "(%zu, %zu): game %08x, bare %08x\n",
                     what, differing, first % columns, first / columns, gamePixels[first],
                     barePixels[first]);
        std::abort();
    }
}

// The value below which the share q of the values lie, between neighbours
// where it falls between two.
double quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double position = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<size_t>(position);
    const size_t above = std::min(below + 1, values.size() - 1);
    const double share = position - static_cast<double>(below);
    return values[below] + share * (values[above] - values[below]);
}

double threadMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}
} // namespace

PairedFrames::PairedFrames(const char* what, SDL_Renderer* renderer, Frame game, Frame bare)
    : renderer(renderer), game(std::move(game)), bare(std::move(bare)) {
    requireSamePicture(what, renderer, this->game, this->bare);
}

double PairedFrames::timeFrame(const Frame& frame) const {
    const double start = threadMicroseconds();
    SDL_RenderClear(renderer);
    frame();
    return threadMicroseconds() - start;
}

void PairedFrames::run(benchmark::State& state) {
    std::vector<double> ratios;
    std::vector<double> gameTimes;
    std::vector<double> bareTimes;
    for ([[maybe_unused]] auto _ : state) {
        const double gameFirst = timeFrame(game);
        const double bareTime = timeFrame(bare) + timeFrame(bare);
        const double gameTime = gameFirst + timeFrame(game);
        ratios.push_back(gameTime / bareTime);
        gameTimes.push_back(gameTime / 2.0);
        bareTimes.push_back(bareTime / 2.0);
    }
    if (ratios.empty()) {
        return;
    }
    state.counters["ratio"] = quantile(ratios, 0.5);
    state.counters["ratio_q1"] = quantile(ratios, 0.25);
    state.counters["ratio_q3"] = quantile(ratios, 0.75);
    state.counters["game_us"] = quantile(gameTimes, 0.5);
    state.counters["bare_us"] = quantile(bareTimes, 0.5);
}
