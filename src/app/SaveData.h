#pragma once
// The two opaque values kept between runs in an 8-byte little-endian file.
#include <cstdint>
#include <string>

struct SaveData {
    int32_t value0 = 0;
    int32_t value1 = 0;

    // Reads up to 8 bytes; a short file fills only the low bytes it holds and
    // leaves the rest as they were. Returns false when the file cannot be opened.
    bool readFrom(const std::string& path);
    // Writes the 8 bytes; silently writes nothing when that is impossible.
    void writeTo(const std::string& path) const;
};
