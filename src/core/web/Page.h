#pragma once
// What the game does differently in a web page: its data folder kept in the
// browser's storage for the page's folder, its loop handing control back to
// the page between steps, and its save written when the page is hidden or left.

// Before the game reads its first file: the folder is filled from the
// browser's storage, and from then on every file the game replaces there is
// stored again at once, that file alone. Storage the browser refuses (blocked
// site data) leaves a playable game that says once that nothing will be kept.
void loadPlayerFiles(const char* folder);
// Lets the page handle its events and draw, then returns; the loop runs on as
// fast as on the desktop (no frame rate of the browser's is imposed), and
// waits while the page is hidden.
void yieldToPage();
// From now until stopSavingOnLeave(): when the page is hidden or left, `save`
// is called with `context` and its file stored at once.
void saveOnLeave(void (*save)(void*), void* context);
void stopSavingOnLeave();
// The game's end, told to the page with its status (the page then offers to
// start again): a main function that has yielded returns to no one.
void endInPage(int status);
