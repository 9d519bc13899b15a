// Any bytes as SaveData.bin: the values take the file's first bytes, and the
// file written back is those 8 bytes.
#include "FuzzWorkspace.h"
#include "app/SaveData.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = "Resources/Data/SaveData.bin";
    writeInput(path, data, size);
    SaveData saveData;
    require(saveData.readFrom(path), "an existing file opens");
    saveData.writeTo(path);
    std::string expected(8, '\0');
    std::copy_n(data, std::min<size_t>(size, 8), expected.begin());
    require(readWhole(path) == expected, "the file keeps its first 8 bytes, zero-filled");
    return 0;
}
