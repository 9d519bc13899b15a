#pragma once
// Float positions and sizes become whole pixels by truncation toward zero. A
// value beyond the integer's range (from an absurd window size in
// Settings.ini) stays at the nearest end of the range instead of reaching an
// undefined conversion.
#include <climits>
#include <cstdint>

// NaN, which no position should ever be, gives 0.
inline int truncateToInt(float value) {
    // 2^31: every float below it in magnitude, and -2^31 itself, fits in int.
    constexpr float limit = 2147483648.0f;
    if (value >= -limit && value < limit) {
        return static_cast<int>(value);
    }
    if (value < 0.0f) {
        return INT_MIN;
    }
    return value >= limit ? INT_MAX : 0;
}

// A size: negative and NaN give 0, anything from 2^32 up the largest size.
inline uint32_t toPixels(float size) {
    if (size >= 4294967296.0f) {
        return UINT32_MAX;
    }
    return size > 0.0f ? static_cast<uint32_t>(size) : 0;
}
