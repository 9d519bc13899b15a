// Any bytes as SaveData.bin: the values take the file's first bytes, and the
// bytes written back are those 8 bytes, zero-filled.
#include "Require.h"
#include "app/SaveData.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SaveData saveData;
    saveData.readFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string expected(reinterpret_cast<const char*>(data), std::min(size, SaveData::fileBytes));
    expected.resize(SaveData::fileBytes, '\0');
    require(saveData.bytes() == expected, "the file keeps its first 8 bytes, zero-filled");
    return 0;
}
