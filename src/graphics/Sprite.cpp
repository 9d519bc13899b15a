#include "graphics/Sprite.h"

#include "core/FileReader.h"
#include "core/Numbers.h"
#include "core/SdlFailure.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {
// The file header and the info header's first three fields: the least that
// says how large a bitmap is.
constexpr size_t sizeBytes = 26;
// Up to the info header's compression field. Bytes a short file lacks read
// as zero, as they do for SDL's loader.
constexpr size_t headerBytes = 34;
// The old OS/2 info header, with 16-bit sizes and no compression field.
constexpr uint32_t coreHeaderBytes = 12;
// Compression values whose pixels are stored row by row as they are.
constexpr uint32_t uncompressed = 0;
constexpr uint32_t bitFields = 3;

uint32_t littleEndian(const std::string& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

bool isCoreHeader(const std::string& header) {
    return littleEndian(header, 14, 4) == coreHeaderBytes;
}

// The size a bitmap's header claims: after the 14-byte file header comes the
// info header, whose first field is its own length; the old 12-byte kind
// holds 16-bit sizes, every later kind signed 32-bit ones (a negative height
// means rows stored top down).
void claimedSize(const std::string& header, int64_t& width, int64_t& height) {
    if (isCoreHeader(header)) {
        width = littleEndian(header, 18, 2);
        height = littleEndian(header, 20, 2);
    } else {
        width = std::llabs(static_cast<int32_t>(littleEndian(header, 18, 4)));
        height = std::llabs(static_cast<int32_t>(littleEndian(header, 22, 4)));
    }
}

// RLE-compressed pixels are left to SDL's loader, which reads them as they come.
bool storedAsIs(const std::string& header) {
    const uint32_t compression = littleEndian(header, 30, 4);
    return isCoreHeader(header) || compression == uncompressed || compression == bitFields;
}

// The bytes that pixel rows stored as they are take, each padded to four bytes.
int64_t storedPixelBytes(const std::string& header, int64_t width, int64_t height) {
    const int64_t bitsPerPixel = littleEndian(header, isCoreHeader(header) ? 24 : 28, 2);
    return height * ((width * bitsPerPixel + 31) / 32 * 4);
}

// The file's bytes from where its header says the pixels start.
int64_t bytesForPixels(const char* path, const std::string& header) {
    const int64_t size = fileSize(path);
    return size - std::min<int64_t>(littleEndian(header, 10, 4), size);
}

// True, with SDL's error set, when a bitmap must not be loaded: it is not a
// regular file (a FIFO would wait for a writer), its header claims more
// pixels than any picture of the game, or more pixel bytes than the file
// holds (the loader would allocate them all before finding them missing).
// A file too short to say, missing, or not a bitmap at all is left to SDL's
// loader to report.
bool refused(const char* path) {
    std::string header;
    if (readFile(path, header, headerBytes) != ReadResult::Read) {
        // Missing or unreadable is SDL's to report; anything but a file is ours.
        if (!isSpecialFile(path)) {
            return false;
        }
        SDL_SetError("'%s' is not a regular file", path);
        return true;
    }
    if (header.size() < sizeBytes || header.compare(0, 2, "BM") != 0) {
        return false;
    }
    header.resize(headerBytes, '\0');
    int64_t width = 0;
    int64_t height = 0;
    claimedSize(header, width, height);
    if (width > Sprite::maxSide || height > Sprite::maxSide || width * height > Sprite::maxPixels) {
        SDL_SetError("The bitmap claims %lld x %lld pixels, more than the game can use",
                     static_cast<long long>(width), static_cast<long long>(height));
        return true;
    }
    if (!storedAsIs(header) ||
        storedPixelBytes(header, width, height) <= bytesForPixels(path, header)) {
        return false;
    }
    SDL_SetError("The bitmap claims %lld x %lld pixels, more than its file holds",
                 static_cast<long long>(width), static_cast<long long>(height));
    return true;
}
} // namespace

SurfaceHandle Sprite::loadBitmap(const char* path) {
    SurfaceHandle bitmap;
    if (!refused(path)) {
        bitmap.reset(SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1));
    }
    if (bitmap) {
        SDL_SetColorKey(bitmap.get(), SDL_TRUE, SDL_MapRGB(bitmap->format, 255, 0, 255));
    }
    return bitmap;
}

void Sprite::load(SDL_Renderer* targetRenderer, const char* path, float clipX, float clipY,
                  float clipW, float clipH) {
    width = 1;
    height = 1;
    renderer = targetRenderer;
    release();
    surface = loadBitmap(path);
    if (!surface) {
        reportSdlFailure(std::string("Surface for bitmap '") + path + "' not loaded!");
        return;
    }
    sourceRect = SDL_Rect{};
    // Position and size count only when both of their values are given.
    if (clipX > -1.0f && clipY > -1.0f) {
        sourceRect.x = truncateToInt(clipX);
        sourceRect.y = truncateToInt(clipY);
    }
    if (clipW > -1.0f && clipH > -1.0f) {
        sourceRect.w = truncateToInt(clipW);
        sourceRect.h = truncateToInt(clipH);
    }
    texture.reset(SDL_CreateTextureFromSurface(renderer, surface.get()));
    if (!texture) {
        reportSdlFailure(std::string("Texture for bitmap '") + path + "' not loaded!");
    }
    width = surface->w;
    height = surface->h;
}

void Sprite::load(SDL_Renderer* targetRenderer, const char* path) {
    load(targetRenderer, path, -1.0f, -1.0f, -1.0f, -1.0f);
    useSourceRect = false;
}

void Sprite::release() {
    texture.reset();
    surface.reset();
}
