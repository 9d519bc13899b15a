#pragma once
// The game's one millisecond clock: the loop, the walk animation and the
// player's timers all read it. It counts wall time since the process started;
// tests can stop it and drive it by hand to hit thresholds exactly.
#include <cstdint>

class Clock {
  public:
    // Milliseconds since the process started, or the hand-set value.
    static int32_t now();
    // Freeze the clock at `ms`; it then moves only through advance().
    static void setManual(int32_t ms);
    static void advance(int32_t ms);
    // Back to real time.
    static void useWallClock();
};
