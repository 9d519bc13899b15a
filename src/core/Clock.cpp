#include "core/Clock.h"

#include <chrono>

namespace {
using SteadyClock = std::chrono::steady_clock;
const SteadyClock::time_point processStart = SteadyClock::now();
bool manual = false;
int32_t manualNow = 0;
} // namespace

int32_t Clock::now() {
    if (manual) {
        return manualNow;
    }
    auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - processStart);
    return static_cast<int32_t>(elapsed.count());
}

void Clock::setManual(int32_t ms) {
    manual = true;
    manualNow = ms;
}

void Clock::advance(int32_t ms) {
    manualNow += ms;
}

void Clock::useWallClock() {
    manual = false;
}
