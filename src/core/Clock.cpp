#include "core/Clock.h"

#include <chrono>
#include <cmath>

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
    manualNow = add(manualNow, ms);
}

void Clock::useWallClock() {
    manual = false;
}

int32_t Clock::difference(int32_t later, int32_t earlier) {
    return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

int32_t Clock::add(int32_t from, int32_t ms) {
    return static_cast<int32_t>(static_cast<uint32_t>(from) + static_cast<uint32_t>(ms));
}

int32_t Clock::wrap(double ms) {
    if (std::isnan(ms) || std::isinf(ms)) {
        return 0;
    }
    const double inRange = std::fmod(std::trunc(ms), 4294967296.0);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(inRange)));
}

bool Clock::passed(int32_t deadline) {
    return difference(now(), deadline) > 0;
}
