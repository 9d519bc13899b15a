#include "app/SaveData.h"

#include "core/FileReader.h"
#include "core/FileReplacer.h"

namespace {
// Puts the bytes into the low bytes of `value`, least significant first.
void storeLowBytes(int32_t& value, std::string_view bytes) {
    auto bits = static_cast<uint32_t>(value);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bits &= ~(0xFFu << (8 * i));
        bits |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
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
    std::string file;
    const ReadResult result = readFile(path, file, fileBytes);
    fileKept = result == ReadResult::Unreadable;
    if (result != ReadResult::Read) {
        return false;
    }
    readFromBytes(file);
    return true;
}

void SaveData::readFromBytes(std::string_view bytes) {
    bytes = bytes.substr(0, fileBytes);
    storeLowBytes(value0, bytes.substr(0, 4));
    if (bytes.size() >= 4) {
        storeLowBytes(value1, bytes.substr(4));
    }
}

std::string SaveData::bytes() const {
    std::string out;
    appendLittleEndian(out, value0);
    appendLittleEndian(out, value1);
    return out;
}

bool SaveData::writeTo(const std::string& path) const {
    // Written once, at exit: worth making sure it reaches the disk.
    return !fileKept && replaceFile(path, bytes(), true);
}
