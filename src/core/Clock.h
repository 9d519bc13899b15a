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

    // later - earlier and from + ms, wrapping around like the 32-bit count
    // itself (after some 24.8 days), so a difference stays right across the
    // wrap and nothing overflows.
    static int32_t difference(int32_t later, int32_t earlier);
    static int32_t add(int32_t from, int32_t ms);
    // A reading computed in floating point, truncated toward zero and wrapped
    // into the 32-bit count the same way (NaN gives 0).
    static int32_t wrap(double ms);
    // Whether now() is past `deadline`: strictly later, also across the wrap.
    static bool passed(int32_t deadline);
};
