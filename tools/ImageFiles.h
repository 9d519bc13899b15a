#pragma once
// The painters' pictures as files, through stb_image_write. The writers refuse
// a picture holding a colour too close to the transparent key, and report a
// file that cannot be written in full.
#include "Image.h"

#include <string>
#include <vector>

// A bottom-up 24-bit BMP, as the game loads it. False, with a message in
// `error`, when the picture or the file is at fault.
bool writeBmp(const Image& image, const std::string& path, std::string& error);

// An 8-bit RGBA PNG in which the transparent key becomes fully clear pixels.
bool writePng(const Image& image, const std::string& path, std::string& error);

// A Windows icon file holding each picture as a PNG entry (read by every Windows
// since Vista), in the order given.
bool writeIco(const std::vector<Image>& images, const std::string& path, std::string& error);
