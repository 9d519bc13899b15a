#include "FramePage.h"

#include <SDL_ttf.h>
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

FramePage::FramePage() {
    SDL_Init(SDL_INIT_VIDEO);
    TTF_Init();
    window.reset(SDL_CreateWindow("frames", 0, 0, width, height, 0));
    rendererHandle.reset(SDL_CreateRenderer(window.get(), -1, 0));
    if (!rendererHandle) {
        std::printf("no renderer: %s\n", SDL_GetError());
        std::abort();
    }
    ::mkdir("Resources/Data", 0755);
    std::ofstream level("Resources/Data/level0.level", std::ios::binary | std::ios::trunc);
    for (int row = 0; row < mapSize; ++row) {
        level << std::string(static_cast<size_t>(mapSize), '1') << "\r\n";
    }
}

FramePage::~FramePage() {
    rendererHandle.reset();
    window.reset();
    TTF_Quit();
    SDL_Quit();
}

void FramePage::draw(const std::function<void()>& frame, int count) const {
    for (int n = 0; n < count; ++n) {
        SDL_RenderClear(renderer());
        frame();
        SDL_RenderPresent(renderer());
    }
}

uint32_t FramePage::pictureHash(const std::function<void()>& frame) const {
    SDL_RenderClear(renderer());
    frame();
    std::vector<Uint32> pixels(static_cast<size_t>(width) * height);
    SDL_RenderReadPixels(renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                         width * static_cast<int>(sizeof(Uint32)));
    SDL_RenderPresent(renderer());
    // FNV-1a over the pixels.
    uint32_t hash = 2166136261u;
    for (const Uint32 pixel : pixels) {
        hash = (hash ^ pixel) * 16777619u;
    }
    return hash;
}

// clang-format off
EM_JS(void, markReady, (), { Module.framesReady = true; });
// clang-format on

void FramePage::ready() {
    markReady();
}
