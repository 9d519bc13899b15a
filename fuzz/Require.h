#pragma once
// Stops the fuzzer with a report when a property of the code under test does
// not hold, so that libFuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>

inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}
