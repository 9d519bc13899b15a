// PNG output for the desktop icons, through stb_image_write. The only file that
// compiles the library's implementation.
#include "canvas.hpp"

#include <cstdint>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace paint {

bool writePng(const Image& image, const std::string& path, std::string& error) {
    const int w = image.width();
    const int h = image.height();
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4U);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = image.at(x, y);
            if (nearTransparent(c)) {
                error = path + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                        ") is too close to the transparent magenta";
                return false;
            }
            // The key colour becomes a fully clear pixel; a desktop has no colour key.
            const bool clear = c == kTransparent;
            rgba.push_back(clear ? 0 : c.r);
            rgba.push_back(clear ? 0 : c.g);
            rgba.push_back(clear ? 0 : c.b);
            rgba.push_back(clear ? 0 : 255);
        }
    }
    if (stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4) == 0) {
        error = path + ": cannot write the file";
        return false;
    }
    return true;
}

} // namespace paint
