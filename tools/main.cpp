// quarrow-paint-assets OUTPUT_DIR [ICON_DIR]
//
// Paints every bitmap the game loads and writes them into OUTPUT_DIR
// (normally Resources/Assets); given ICON_DIR (normally packaging/icons), also
// the desktop icon as quarrow-SIZE.png in each installed size, all of them in
// quarrow.ico, the Windows program's, and the Windows installer's picture,
// installer.bmp. The output is the same, byte for
// byte, on every run.
#include "ImageFiles.h"
#include "Painters.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Asset {
    const char* fileName;
    Image (*painter)();
};

constexpr Asset assetFiles[] = {
    {"Button.bmp", paintButton},           // menu buttons and slider bars
    {"Slider.bmp", paintSliderKnob},       // slider knob
    {"Level1Tiles.bmp", paintFloorTile},   // floor cell of the map
    {"Player.bmp", paintPlayerSheet},      // the player's walk frames
    {"ParticleBitmap.bmp", paintParticle}, // particle field
    // The window's own icon, at a size window managers and taskbars scale well.
    {"Icon.bmp", [] { return paintIcon(64); }},
};

// The icon sizes the desktop theme gets.
constexpr int iconSizes[] = {16, 24, 32, 48, 64, 128, 256};

std::string sizeOf(const Image& image) {
    return std::to_string(image.width) + " x " + std::to_string(image.height);
}

std::string sizeOf(const std::vector<Image>& images) {
    return std::to_string(images.size()) + " sizes";
}

std::vector<Image> paintIconSizes() {
    std::vector<Image> images;
    for (const int size : iconSizes) {
        images.push_back(paintIcon(size));
    }
    return images;
}

// Paints one picture (or set of them) and writes it; reports any failure on
// standard error.
template <typename Paint, typename Write>
bool writePicture(const std::string& path, Paint paintIt, Write write) {
    try {
        const auto picture = paintIt();
        std::string error;
        if (!write(picture, path, error)) {
            std::cerr << error << '\n';
            return false;
        }
        std::cout << path << " (" << sizeOf(picture) << ")\n";
        return true;
    } catch (const std::exception& e) {
        std::cerr << path << ": " << e.what() << '\n';
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: " << argv[0] << " OUTPUT_DIR [ICON_DIR]\n";
        return 2;
    }
    const std::string assets = argv[1];
    for (const Asset& asset : assetFiles) {
        if (!writePicture(assets + "/" + asset.fileName, asset.painter, writeBmp)) {
            return 1;
        }
    }
    if (argc == 3) {
        const std::string icons = argv[2];
        for (const int size : iconSizes) {
            const std::string path = icons + "/quarrow-" + std::to_string(size) + ".png";
            if (!writePicture(
                    path, [size] { return paintIcon(size); }, writePng)) {
                return 1;
            }
        }
        if (!writePicture(icons + "/quarrow.ico", paintIconSizes, writeIco) ||
            !writePicture(icons + "/installer.bmp", paintInstallerPicture, writeBmp)) {
            return 1;
        }
    }
    return 0;
}
