#include "core/web/Page.h"

#include <emscripten.h>

#include <cstdint>

// JavaScript linked as C functions; the linker takes this file for the C++
// functions at its end, which the game calls.

// The folder on IDBFS; Module.playerFiles.store() writes the page's copy of it
// to IndexedDB, one write at a time, another following when files changed
// meanwhile. IndexedDB finishes its work in later turns, which a page being
// left does not get: Module.playerFiles.storeNow() also copies every file into
// a journal in the origin's localStorage, which is written at once, and the
// next start puts the journal's files back before the game reads any.
// Module.onPlayerFiles, where the page has it, learns whether files are kept.
// clang-format off
EM_ASYNC_JS(void, mountPlayerFiles, (const char* folderName), {
    const folder = UTF8ToString(folderName);
    const refused = reason => {
        out("Nothing will be kept: the browser refuses this page its storage (" + reason + ").");
        if (Module.onPlayerFiles) {
            Module.onPlayerFiles(false);
        }
    };
    let mount;
    try {
        FS.mkdirTree(folder);
        mount = FS.mount(IDBFS, {}, folder).mount;
    } catch (error) {
        refused(error);
        return;
    }
    const error = await new Promise(resolve => FS.syncfs(true, resolve));
    if (error) {
        FS.unmount(folder);
        refused(error);
        return;
    }
    const journal = "quarrow-unstored:" + mount.mountpoint;
    const journalled = () => {
        try {
            const saved = localStorage.getItem(journal);
            return saved ? JSON.parse(saved) : {};
        } catch (unreadable) {
            return {};
        }
    };
    // (No destructuring in a loop's head: Emscripten's optimizer drops it.)
    const unstored = journalled();
    for (const path of Object.keys(unstored)) {
        FS.writeFile(path, Uint8Array.from(atob(unstored[path]), letter => letter.charCodeAt(0)));
    }
    let storing = false;
    let again = false;
    const store = () => {
        if (storing) {
            again = true;
            return;
        }
        storing = true;
        FS.syncfs(false, failure => {
            storing = false;
            if (failure && Module.playerFiles) {
                Module.playerFiles = null;
                refused(failure);
            } else if (again) {
                again = false;
                store();
            } else {
                try {
                    localStorage.removeItem(journal);
                } catch (refusedToo) {
                }
            }
        });
    };
    const storeNow = () => {
        const files = {};
        IDBFS.getLocalSet(mount, (failure, local) => {
            for (const path of failure ? [] : Object.keys(local.entries)) {
                if (FS.isFile(FS.stat(path).mode)) {
                    let text = "";
                    for (const byte of FS.readFile(path)) {
                        text += String.fromCharCode(byte);
                    }
                    files[path] = btoa(text);
                }
            }
        });
        try {
            localStorage.setItem(journal, JSON.stringify(files));
        } catch (full) {
        }
        store();
    };
    Module.playerFiles = {store : store, storeNow : storeNow};
    if (Object.keys(unstored).length) {
        store();
    }
    if (Module.onPlayerFiles) {
        Module.onPlayerFiles(true);
    }
});
// clang-format on

// One message channel, reused: a message posted to oneself comes back after
// the page's waiting events, without the 4 ms a chain of timers is held to.
// clang-format off
EM_ASYNC_JS(void, awaitPage, (), {
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
