#include "core/web/Page.h"

#include <emscripten.h>

#include <cstdint>
#include <cstdlib>

// JavaScript linked as C functions; the linker takes this file for the C++
// functions at its end, which the game calls.

// (The function is passed as its index in the table of functions.)
// clang-format off
EM_JS(void, watchPageLeft, (uintptr_t save, void* context), {
    const leave = () => {
        if (Module.saveOnLeave === leave) {
            wasmTable.get(save)(context);
            if (Module.playerFiles) {
                Module.playerFiles.storeNow();
            }
        }
    };
    Module.saveOnLeave = leave;
    // A page being left gets beforeunload while it still has turns in which
    // its storage can finish; pagehide and a hidden page come after.
    for (const event of ["beforeunload", "pagehide"]) {
        addEventListener(event, () => Module.saveOnLeave && Module.saveOnLeave());
    }
    document.addEventListener("visibilitychange", () => {
        if (document.visibilityState === "hidden" && Module.saveOnLeave) {
            Module.saveOnLeave();
        }
    });
});
// clang-format on

// clang-format off
EM_JS(void, forgetPageLeft, (), { Module.saveOnLeave = null; });
// clang-format on

namespace {
struct Loop {
    bool (*pass)(void*);
    int (*end)(void*);
    void* context;
};
Loop loop{};

// For each frame the browser shows; the game's end, and the runtime's with
// it, within the frame whose pass says so.
void passInPage() {
    if (!loop.pass(loop.context)) {
        emscripten_force_exit(loop.end(loop.context));
    }
}
} // namespace

void loopInPage(bool (*pass)(void*), int (*end)(void*), void* context) {
    loop = {pass, end, context};
    // (Frames a second 0: the browser's requestAnimationFrame. Simulating an
    // infinite loop, the call leaves main by an exception the runtime catches.)
    emscripten_set_main_loop(passInPage, 0, 1);
    std::abort();
}

void saveOnLeave(void (*save)(void*), void* context) {
    watchPageLeft(reinterpret_cast<uintptr_t>(save), context);
}

void stopSavingOnLeave() {
    forgetPageLeft();
}
