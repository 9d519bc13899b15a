#include "core/posix/Folder.h"

#include <emscripten.h>

// The player's files live in the page's memory until they are stored in the
// browser's lasting storage for the page's folder (see Page.h).
// clang-format off
EM_JS(void, storePlayerFiles, (), {
    if (Module.playerFiles) {
        Module.playerFiles.store();
    }
});
// clang-format on

bool syncFile(int /*fd*/) {
    // The page's files are in memory: what lasts is their copy in the
    // browser's storage, made once the file is replaced (folderChanged). The C
    // library's own sync would also wait for that storage, which a page that
    // is being left cannot do.
    return true;
}

bool keepsEveryName(const std::string& /*folder*/) {
    // The browser's file systems have no append-only or immutable folders.
    return false;
}

void folderChanged(const std::string& /*folder*/, bool /*durable*/) {
    // Every change is stored at once, durable or not: a page can be closed or
    // reloaded at any moment, and what is only in memory is then lost.
    storePlayerFiles();
}
