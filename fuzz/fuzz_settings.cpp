// Any bytes as Settings.ini: parsing must not crash, and the canonical text
// written back must parse to the same values and the same text again.
#include "Require.h"
#include "settings/Settings.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Settings first(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string written = first.fileText();
    const Settings second(written);
    require(second.fileText() == written, "the rewrite is stable");
    require(first.musicVolume == second.musicVolume, "the music volume survives the rewrite");
    require(first.fxVolume == second.fxVolume, "the effects volume survives the rewrite");
    require(first.windowWidth == second.windowWidth, "the width survives the rewrite");
    require(first.windowHeight == second.windowHeight, "the height survives the rewrite");
    require(first.fullscreen == second.fullscreen, "full screen survives the rewrite");
    return 0;
}
