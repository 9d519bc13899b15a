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

// Encodes the picture with `encode` (one of stb's *_to_func writers) into
// `bytes`; false, with a message in `error`, when the picture is at fault.
template <typename Encode>
bool encode(const Image& image, int channels, const std::string& path, std::string& error,
            Encode encodeIt, std::string& bytes) {
    std::vector<std::uint8_t> pixels;
    if (!pixelsOf(image, channels, path, error, pixels)) {
        return false;
    }
    if (encodeIt(&bytes, pixels.data()) == 0) {
        error = path + ": cannot encode the picture";
        return false;
    }
    return true;
}

bool encodePng(const Image& image, const std::string& path, std::string& error,
               std::string& bytes) {
    return encode(
        image, 4, path, error,
        [&image](std::string* out, const void* pixels) {
            return stbi_write_png_to_func(append, out, image.width, image.height, 4, pixels,
                                          image.width * 4);
        },
        bytes);
}

// Appends `value` as `count` little-endian bytes.
void putLittleEndian(std::string& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<char>(value >> (8 * i) & 0xffU));
    }
}

} // namespace

// Everything is made in memory and then written: stb's own file writers do not
// report a failed write.
bool writeBmp(const Image& image, const std::string& path, std::string& error) {
    std::string bytes;
    return encode(
               image, 3, path, error,
               [&image](std::string* out, const void* pixels) {
                   return stbi_write_bmp_to_func(append, out, image.width, image.height, 3, pixels);
               },
               bytes) &&
           writeFile(path, bytes, error);
}

bool writePng(const Image& image, const std::string& path, std::string& error) {
    std::string bytes;
    return encodePng(image, path, error, bytes) && writeFile(path, bytes, error);
}

bool writeIco(const std::vector<Image>& images, const std::string& path, std::string& error) {
    constexpr std::uint32_t headerBytes = 6;
    constexpr std::uint32_t entryBytes = 16;
    std::string directory;
    std::string data;
    putLittleEndian(directory, 0, 2);
    putLittleEndian(directory, 1, 2); // an icon, not a cursor
    putLittleEndian(directory, static_cast<std::uint32_t>(images.size()), 2);
    auto offset = static_cast<std::uint32_t>(headerBytes + entryBytes * images.size());
    for (const Image& image : images) {
        if (image.width != image.height || image.width > 256) {
            error = path + ": an icon's pictures are square, 256 pixels at most";
            return false;
        }
        std::string png;
        if (!encodePng(image, path, error, png)) {
            return false;
        }
        // 0 stands for 256; no palette; one plane of 32 bits per pixel.
        const auto side = static_cast<std::uint32_t>(image.width % 256);
        putLittleEndian(directory, side, 1);
        putLittleEndian(directory, side, 1);
        putLittleEndian(directory, 0, 2);
        putLittleEndian(directory, 1, 2);
        putLittleEndian(directory, 32, 2);
        putLittleEndian(directory, static_cast<std::uint32_t>(png.size()), 4);
        putLittleEndian(directory, offset, 4);
        offset += static_cast<std::uint32_t>(png.size());
        data += png;
    }
    return writeFile(path, directory + data, error);
}
