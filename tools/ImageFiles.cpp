// The only file that compiles stb_image_write's implementation.
#include "ImageFiles.h"

#include <cstdint>
#include <fstream>
#include <vector>

// stb's implementation is third-party code: the static analysis, which
// defines __clang_analyzer__, looks at the painter's own code only.
#ifndef __clang_analyzer__
#define STB_IMAGE_WRITE_IMPLEMENTATION
#endif
#include <stb/stb_image_write.h>

namespace {

// The picture's pixels, `channels` bytes each, rows top down; false, with a
// message in `error`, at the first near-key colour. With four channels the key
// becomes a fully clear pixel: a desktop has no colour key.
bool pixelsOf(const Image& image, int channels, const std::string& path, std::string& error,
              std::vector<std::uint8_t>& out) {
    out.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) *
                static_cast<std::size_t>(channels));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.at(x, y);
            if (nearTransparent(c)) {
                error = path + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                        ") is too close to the transparent magenta";
                return false;
            }
            const bool clear = channels == 4 && c == transparent;
            out.push_back(clear ? 0 : c.r);
            out.push_back(clear ? 0 : c.g);
            out.push_back(clear ? 0 : c.b);
            if (channels == 4) {
                out.push_back(clear ? 0 : 255);
            }
        }
    }
    return true;
}

// stb_image_write's output callback: appends to the std::string behind `context`.
void append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<std::size_t>(size));
}

// Writes `bytes` to `path`, true only when every byte reached the file.
bool writeFile(const std::string& path, const std::string& bytes, std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        error = path + ": cannot write the file";
        return false;
    }
    return true;
}

// Encodes the picture with `encode` (one of stb's *_to_func writers) in memory,
// then writes it: stb's own file writers do not report a failed write.
template <typename Encode>
bool encodeAndWrite(const Image& image, int channels, const std::string& path, std::string& error,
                    Encode encode) {
    std::vector<std::uint8_t> pixels;
    if (!pixelsOf(image, channels, path, error, pixels)) {
        return false;
    }
    std::string bytes;
    if (encode(&bytes, pixels.data()) == 0) {
        error = path + ": cannot encode the picture";
        return false;
    }
    return writeFile(path, bytes, error);
}

} // namespace

bool writeBmp(const Image& image, const std::string& path, std::string& error) {
    return encodeAndWrite(image, 3, path, error, [&image](std::string* bytes, const void* pixels) {
        return stbi_write_bmp_to_func(append, bytes, image.width, image.height, 3, pixels);
    });
}

bool writePng(const Image& image, const std::string& path, std::string& error) {
    return encodeAndWrite(image, 4, path, error, [&image](std::string* bytes, const void* pixels) {
        return stbi_write_png_to_func(append, bytes, image.width, image.height, 4, pixels,
                                      image.width * 4);
    });
}
