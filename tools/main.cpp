// quarrow-paint-assets OUTPUT_DIR
//
// Paints every bitmap the game loads and writes them into OUTPUT_DIR
// (normally Resources/Assets). The output is the same, byte for byte, on every run.
#include "painters.hpp"

#include <exception>
#include <iostream>
#include <string>

namespace {

struct Asset {
    const char* fileName;
    paint::Image (*painter)();
};

constexpr Asset kAssets[] = {
    {"Button.bmp", paint::paintButton},           // menu buttons and slider bars
    {"Slider.bmp", paint::paintSliderKnob},       // slider knob
    {"Level1Tiles.bmp", paint::paintFloorTile},   // floor cell of the map
    {"Player.bmp", paint::paintPlayerSheet},      // the player's walk frames
    {"ParticleBitmap.bmp", paint::paintParticle}, // particle field
};

// Paints one bitmap and writes it; reports any failure on standard error.
bool writeAsset(const Asset& asset, const std::string& folder) {
    const std::string path = folder + "/" + asset.fileName;
    try {
        const paint::Image image = asset.painter();
        std::string error;
        if (!paint::writeBmp(image, path, error)) {
            std::cerr << error << '\n';
            return false;
        }
        std::cout << path << " (" << image.width() << " x " << image.height() << ")\n";
        return true;
    } catch (const std::exception& e) {
        std::cerr << path << ": " << e.what() << '\n';
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT_DIR\n";
        return 2;
    }
    for (const Asset& asset : kAssets) {
        if (!writeAsset(asset, argv[1])) {
            return 1;
        }
    }
    return 0;
}
