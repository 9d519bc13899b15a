#include "graphics/TextRenderer.h"

#include "core/FileReader.h"
#include "core/Numbers.h"
#include "core/SdlFailure.h"
#include "core/SdlHandles.h"

#include <string>

namespace {
// The game's font, or none when it cannot be opened. Only a regular file is
// handed to the font library: opening a FIFO would wait for a writer.
FontHandle openFont() {
    if (isSpecialFile(TextRenderer::fontPath)) {
        SDL_SetError("'%s' is not a regular file", TextRenderer::fontPath);
        return nullptr;
    }
    return FontHandle(TTF_OpenFont(TextRenderer::fontPath, TextRenderer::pointSize));
}

void reportFailure(const char* what) {
    reportSdlFailure(std::string(what) + " for font not loaded!");
}
} // namespace

TextRenderer::TextRenderer(SDL_Renderer* renderer, SDL_Color textColour)
    : renderer(renderer), textColour(textColour) {}

void TextRenderer::drawText(const char* text, float x, float y) const {
    // Released in reverse: the texture, the surface, then the font.
    const FontHandle font = openFont();
    // A font that failed to open makes the render fail, which reports it.
    const SurfaceHandle surface(TTF_RenderText_Solid(font.get(), text, textColour));
    if (!surface) {
        reportFailure("Surface");
        return;
    }
    const TextureHandle texture(SDL_CreateTextureFromSurface(renderer, surface.get()));
    if (!texture) {
        reportFailure("Texture");
        return;
    }
    SDL_Rect destination{truncateToInt(x), truncateToInt(y), 0, 0};
    SDL_QueryTexture(texture.get(), nullptr, nullptr, &destination.w, &destination.h);
    SDL_RenderCopy(renderer, texture.get(), nullptr, &destination);
}

TextSize TextRenderer::measureText(const char* text) {
    TextSize size;
    const FontHandle font = openFont();
    if (font && TTF_SizeText(font.get(), text, &size.width, &size.height) != 0) {
        size = TextSize{};
    }
    return size;
}
