// Runs the benchmarks headless, inside a scratch copy of the game's
// Resources so nothing touches the repository's data folder.
#include "support/SdlSession.h"
#include "support/TestWorkspace.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlSession session;
    TestWorkspace workspace;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
