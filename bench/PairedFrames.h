#pragma once
// Times the game's frame against a bare SDL frame of the very same picture on
// a machine that other work shares. The two are drawn in blocks of four, the
// game's, the bare, the bare, the game's, each a whole frame as the main loop
// draws it (the canvas cleared, then the picture) timed on the thread's own
// processor clock, so that the machine's other load and the order of drawing
// fall on both alike. Each block gives one ratio,
// the game's time over the bare time; their median and quartiles are the
// result, reported as the benchmark's counters.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <functional>

class PairedFrames {
  public:
    using Frame = std::function<void()>;

    // Stops the run, saying where, unless the two draw the very same picture
    // and it is not an empty one.
    PairedFrames(const char* what, SDL_Renderer* renderer, Frame game, Frame bare);

    // One block per iteration of the benchmark's loop; then the counters:
    // ratio, ratio_q1 and ratio_q3 (the block ratios' median and quartiles)
    // and game_us and bare_us (the median processor time of one frame of each).
    void run(benchmark::State& state);

  private:
    // The processor time of clearing the canvas and drawing one frame, in microseconds.
    double timeFrame(const Frame& frame) const;

    SDL_Renderer* renderer;
    Frame game;
    Frame bare;
};
