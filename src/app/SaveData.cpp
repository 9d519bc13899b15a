#include "app/SaveData.h"

#include "core/FileReplacer.h"

#include <cstddef>
#include <cstdio>

namespace {
// Puts `count` file bytes into the low bytes of `value`, least significant first.
void storeLowBytes(int32_t& value, const unsigned char* bytes, size_t count) {
    auto bits = static_cast<uint32_t>(value);
    for (size_t i = 0; i < count; ++i) {
        bits &= ~(0xFFu << (8 * i));
        bits |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    value = static_cast<int32_t>(bits);
}

void appendLittleEndian(std::string& out, int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFu));
    }
}
} // namespace

bool SaveData::readFrom(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    unsigned char bytes[4];
    size_t got = std::fread(bytes, 1, 4, file);
    storeLowBytes(value0, bytes, got);
    if (got == 4) {
        got = std::fread(bytes, 1, 4, file);
        storeLowBytes(value1, bytes, got);
    }
    std::fclose(file);
    return true;
}

void SaveData::writeTo(const std::string& path) const {
    std::string bytes;
    appendLittleEndian(bytes, value0);
    appendLittleEndian(bytes, value1);
    replaceFile(path, bytes);
}
