#pragma once
// The two opaque values kept between runs in an 8-byte little-endian file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct SaveData {
    int32_t value0 = 0;
    int32_t value1 = 0;
    // Set when the file is there but could not be read: it is then never
    // written over with values that did not come from it.
    bool fileKept = false;

    static constexpr size_t fileBytes = 8;

    // Reads the file's first 8 bytes through readFromBytes. Returns false when
    // the file cannot be opened (or is not a regular file).
    bool readFrom(const std::string& path);
    // Takes up to 8 bytes; a short file fills only the low bytes it holds and
    // leaves the rest as they were.
    void readFromBytes(std::string_view bytes);
    // The 8 bytes of the file: value0 then value1, little-endian.
    std::string bytes() const;
    // Writes the 8 bytes, through to the disk; false, having written nothing,
    // when that is impossible or the file is kept.
    bool writeTo(const std::string& path) const;
};
