// The same pictures as GameFrames drawn with SDL calls alone, in a page built
// with the same flags, its main function returning at once and the page
// calling in for each run of frames; or, once paceFrames is called, one of
// them drawn at the browser's pace, as the game's page draws its own.
#include "../BareMainMenu.h"
#include "../BareMap.h"
#include "FramePage.h"

#include <emscripten.h>

namespace {
struct BareFrames {
    FramePage page;
    BareMainMenu menu{page.renderer(), FramePage::width, FramePage::height};
    BareMap map{page.renderer(), FramePage::mapSize, FramePage::width, FramePage::height};

    std::function<void()> frame(int which) {
        if (which == 0) {
            return [this] { menu.draw(); };
        }
        return [this] { map.draw(); };
    }
};

BareFrames* frames = nullptr;
int paced = -1;

void drawPaced() {
    SDL_RenderClear(frames->page.renderer());
    frames->frame(paced)();
    SDL_RenderPresent(frames->page.renderer());
}
} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE double timeFrames(int which, int count) {
    return frames->page.timeFrames(frames->frame(which), count);
}

extern "C" EMSCRIPTEN_KEEPALIVE uint32_t pictureHash(int which) {
    return frames->page.pictureHash(frames->frame(which));
}

// From now on, the frame `which` cleared, drawn and presented for each frame
// the browser shows (its animation frames).
extern "C" EMSCRIPTEN_KEEPALIVE void paceFrames(int which) {
    if (paced < 0) {
        emscripten_set_main_loop(drawPaced, 0, 0);
    }
    paced = which;
}

int main() {
    frames = new BareFrames;
    FramePage::callIn();
    emscripten_exit_with_live_runtime();
}
