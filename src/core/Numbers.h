#pragma once
// Float positions become whole pixels by truncation toward zero. A position
// beyond int's range (from an absurd window size in Settings.ini) stays at the
// nearest end of the range instead of reaching an undefined conversion.
#include <climits>
#include <cmath>

// NaN, which no position should ever be, gives 0.
inline int truncateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}
