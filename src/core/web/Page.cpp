#include "core/web/Page.h"

#include <emscripten.h>

#include <cstdint>

// JavaScript linked as C functions; the linker takes this file for the C++
// functions at its end, which the game calls.

// The folder lives in the page's memory; Module.playerFiles (playerFiles.js)
// fills it from the browser's storage for the page's folder and stores each
// file the game changes. Module.onPlayerFiles, where the page has it, learns
// whether files are kept, and Module.onUnkept what was not.
// clang-format off
EM_ASYNC_JS(void, mountPlayerFiles, (const char* folderName), {
    const folder = "/" + UTF8ToString(folderName);
    const told = kept => {
        if (Module.onPlayerFiles) {
            Module.onPlayerFiles(kept);
        }
    };
    // A browser that blocks the page's storage throws at its very name.
    const storage = name => {
        try {
            return window[name];
        } catch (blocked) {
            return null;
        }
    };
    // The page's folder: its path without its file name.
    const place = location.pathname.slice(0, location.pathname.lastIndexOf("/") + 1);
    FS.mkdirTree(folder);
    const files = {
        list : () => FS.readdir(folder).map(name => folder + "/" + name).filter(path => FS.isFile(FS.stat(path).mode)),
        read : path => FS.readFile(path),
        write : (path, bytes) => FS.writeFile(path, bytes),
        remove : path => FS.unlink(path)
    };
    try {
        Module.playerFiles = await openPlayerFiles({
            folder : folder,
            place : place,
            files : files,
            indexedDB : storage("indexedDB"),
            localStorage : storage("localStorage"),
            sessionStorage : storage("sessionStorage"),
            channel : typeof BroadcastChannel === "function" ? new BroadcastChannel(playerFilesPlace(place).database) : null,
            log : line => console.warn(line),
            tell : words => Module.onUnkept && Module.onUnkept(words)
        });
    } catch (refused) {
        out("Nothing will be kept: the browser refuses this page its storage (" + refused + ").");
        told(false);
        return;
    }
    told(true);
});
// clang-format on

// One message channel, reused: a message posted to oneself comes back after
// the page's waiting events, without the 4 ms a chain of timers is held to.
// The browser never slows that down for a hidden page, so a hidden page waits
// until it is shown again instead: the game stands still meanwhile, as the
// player can see none of it, and its step then goes on from where it was.
// clang-format off
EM_ASYNC_JS(void, awaitPage, (), {
    if (document.hidden) {
        await new Promise(resolve => {
            const shown = () => {
                if (!document.hidden) {
                    document.removeEventListener("visibilitychange", shown);
                    resolve();
                }
            };
            document.addEventListener("visibilitychange", shown);
        });
    }
    const channel = Module.yieldChannel || (Module.yieldChannel = new MessageChannel());
    await new Promise(resolve => {
        channel.port1.onmessage = resolve;
        channel.port2.postMessage(null);
    });
});
// clang-format on

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

void loadPlayerFiles(const char* folder) {
    mountPlayerFiles(folder);
}

void yieldToPage() {
    awaitPage();
}

void saveOnLeave(void (*save)(void*), void* context) {
    watchPageLeft(reinterpret_cast<uintptr_t>(save), context);
}

void stopSavingOnLeave() {
    forgetPageLeft();
}

void endInPage(int status) {
    emscripten_force_exit(status);
}
