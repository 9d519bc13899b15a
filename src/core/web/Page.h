#pragma once
// What the game does differently in a web page: its data folder kept in the
// browser's storage for the page's folder (filled before main runs, by
// loadFiles.js), its loop run by the browser, one pass for each frame the
// browser shows, and its save written when the page is hidden or left.

// Runs the loop at the browser's pace and returns to the browser at once, to
// no caller: from then on the browser calls `pass` with `context` for each
// frame it shows (requestAnimationFrame; none while the page is hidden, which
// so rests), until `pass` returns false; then the game's end is `end` with
// `context`, whose status the page is told (it then offers to start again).
// Nothing waits inside the program, so nothing needs Asyncify.
[[noreturn]] void loopInPage(bool (*pass)(void*), int (*end)(void*), void* context);
// From now until stopSavingOnLeave(): when the page is hidden or left, `save`
// is called with `context` and its file stored at once.
void saveOnLeave(void (*save)(void*), void* context);
void stopSavingOnLeave();
