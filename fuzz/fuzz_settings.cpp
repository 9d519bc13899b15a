// Any bytes as Settings.ini: loading must not crash, and what it writes back
// must load to the same values (the rewrite is canonical and lossless).
#include "FuzzWorkspace.h"
#include "settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeInput(Settings::filePath, data, size);
    const Settings first;
    const std::string written = readWhole(Settings::filePath);
    const Settings second;
    require(readWhole(Settings::filePath) == written, "the rewrite is stable");
    require(first.musicVolume == second.musicVolume && first.fxVolume == second.fxVolume &&
                first.windowWidth == second.windowWidth &&
                first.windowHeight == second.windowHeight && first.fullscreen == second.fullscreen,
            "the rewritten file loads to the same values");
    return 0;
}
