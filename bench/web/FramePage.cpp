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

double FramePage::timeFrames(const std::function<void()>& frame, int count) const {
    // SDL's renderer queues the frame's drawing and hands it to WebGL at the
    // present, whose work the browser's GPU process does: that part is the
    // browser's, the same for both pages, and left out of the time, which
    // is the frame's own code.
    double spent = 0.0;
    for (int n = 0; n < count; ++n) {
        const double start = emscripten_get_now();
        SDL_RenderClear(renderer());
        frame();
        spent += emscripten_get_now() - start;
        SDL_RenderPresent(renderer());
    }
    return spent;
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

EM_JS(void, answerCalls, (), {
    Module.askFrames = (which, count) =>
        Promise.resolve(count ? Module._timeFrames(which, count) : Module._pictureHash(which) >>> 0);
});
// clang-format on

void FramePage::callIn() {
    answerCalls();
    markReady();
}
