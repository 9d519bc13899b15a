#pragma once
// What the two pages of the browser's frame benchmark share: a 1280 x 720
// window and renderer on the page's canvas, made as the game makes its own
// (SDL's OpenGL ES renderer), and frames drawn when the page asks for them.
#include "core/SdlHandles.h"

#include <cstdint>
#include <functional>

class FramePage {
  public:
    static constexpr int width = 1280;
    static constexpr int height = 720;
    // The map both pages draw: 150 x 150 cells, all floor.
    static constexpr int mapSize = 150;

    // Stops the page, saying why, when there is no window or renderer; writes
    // the map's level file for the game's page to read.
    FramePage();
    FramePage(const FramePage&) = delete;
    FramePage& operator=(const FramePage&) = delete;
    ~FramePage();

    // `count` frames as the main loop draws them (cleared, drawn, presented);
    // the milliseconds their clearing and drawing took on the page's clock.
    double timeFrames(const std::function<void()>& frame, int count) const;
    // One frame drawn and read back: a hash of its pixels, the same on both
    // pages when they draw the same picture.
    uint32_t pictureHash(const std::function<void()>& frame) const;
    // Tells the page that frames can be asked for (Module.askFrames), the page
    // calling in for them (its exports timeFrames and pictureHash), its main
    // function having returned.
    static void callIn();

    SDL_Renderer* renderer() const { return rendererHandle.get(); }

  private:
    WindowHandle window;
    RendererHandle rendererHandle;
};
