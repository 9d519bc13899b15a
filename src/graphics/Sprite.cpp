#include "graphics/Sprite.h"

#include "core/FileReader.h"
#include "core/Numbers.h"

#include <cstdio>
#include <cstdlib>

namespace {
// The file header and the info header's first three fields.
constexpr size_t headerBytes = 26;

uint32_t littleEndian(const std::string& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// The size a bitmap's header claims: after the 14-byte file header comes the
// info header, whose first field is its own length; the old 12-byte kind
// holds 16-bit sizes, every later kind signed 32-bit ones (a negative height
// means rows stored top down).
void claimedSize(const std::string& header, int64_t& width, int64_t& height) {
    if (littleEndian(header, 14, 4) == 12) {
        width = littleEndian(header, 18, 2);
        height = littleEndian(header, 20, 2);
    } else {
        width = std::llabs(static_cast<int32_t>(littleEndian(header, 18, 4)));
        height = std::llabs(static_cast<int32_t>(littleEndian(header, 22, 4)));
    }
}

// True, with SDL's error set, when a bitmap must not be loaded: it is not a
// regular file (a FIFO would wait for a writer), or its header claims more
// pixels than any picture of the game. A file too short to say, or missing,
// is left to SDL's loader to report.
bool refused(const char* path) {
    std::string header;
    if (!readFile(path, header, headerBytes)) {
        // Missing or unreadable is SDL's to report; anything but a file is ours.
        if (!isSpecialFile(path)) {
            return false;
        }
        SDL_SetError("'%s' is not a regular file", path);
        return true;
    }
    if (header.size() < headerBytes) {
        return false;
    }
    int64_t width = 0;
    int64_t height = 0;
    claimedSize(header, width, height);
    if (width <= Sprite::maxSide && height <= Sprite::maxSide &&
        width * height <= Sprite::maxPixels) {
        return false;
    }
    SDL_SetError("The bitmap claims %lld x %lld pixels, more than the game can use",
                 static_cast<long long>(width), static_cast<long long>(height));
    return true;
}
} // namespace

void Sprite::load(SDL_Renderer* targetRenderer, const char* path, float clipX, float clipY,
                  float clipW, float clipH) {
    width = 1;
    height = 1;
    renderer = targetRenderer;
    release();
    if (!refused(path)) {
        surface.reset(SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1));
    }
    if (!surface) {
        std::printf("Surface for bitmap '%s' not loaded!\n", path);
        std::printf("%s\n", SDL_GetError());
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
    SDL_SetColorKey(surface.get(), SDL_TRUE, SDL_MapRGB(surface->format, 255, 0, 255));
    texture.reset(SDL_CreateTextureFromSurface(renderer, surface.get()));
    if (!texture) {
        std::printf("Texture for bitmap '%s' not loaded!\n", path);
        std::printf("%s\n", SDL_GetError());
    }
    width = surface->w;
    height = surface->h;
}

void Sprite::load(SDL_Renderer* targetRenderer, const char* path) {
    load(targetRenderer, path, -1.0f, -1.0f, -1.0f, -1.0f);
    useSourceRect = false;
}

void Sprite::draw(float x, float y) const {
    if (!texture) {
        return;
    }
    const int left = truncateToInt(x);
    const int top = truncateToInt(y);
    // The whole-pixel corner handed over as floats, which is what SDL_RenderCopy
    // would make of an SDL_Rect itself; building that SDL_Rect here costs a
    // large map's frame a fifth more (its fields are stored piecemeal and read
    // back whole).
    const SDL_FRect destination{static_cast<float>(left), static_cast<float>(top),
                                static_cast<float>(width), static_cast<float>(height)};
    SDL_RenderCopyF(renderer, texture.get(), useSourceRect ? &sourceRect : nullptr, &destination);
}

void Sprite::release() {
    texture.reset();
    surface.reset();
}
