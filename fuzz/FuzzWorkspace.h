#pragma once
// Each fuzzer works in a scratch folder laid out like the game's working
// directory (Resources/Data), entered before the first input and removed when
// the fuzzer exits.
#include <cstddef>
#include <cstdint>
#include <string>

// Replaces a file's content with the fuzzer's bytes.
void writeInput(const std::string& path, const uint8_t* data, size_t size);
std::string readWhole(const std::string& path);
// Stops the fuzzer with a report when a property does not hold.
void require(bool holds, const char* property);
