#pragma once
// Where the game's picture is shown: in a window of its own on a desktop
// display, or in a room that the program hosting the game lays out and fits
// the picture into (a web page, which shows its canvas scaled to the room).
#include <SDL.h>

// True when a host fits the picture into a room of its own; `room` is then
// that room's size, what the player sees of it without scrolling. False for a
// window of the game's own (and for a program with no such host).
bool hostRoom(SDL_Point& room);
// Puts the window into full screen or takes it out: SDL's desktop full
// screen, or the host's own (which the host may refuse, see below).
void setFullScreen(SDL_Window* window, bool on);
// True once after full screen has ended, or been refused, other than through
// setFullScreen (a browser's Escape, its full-screen key or its own
// controls); never for a window of the game's own.
bool fullScreenEnded();
// True once after the host's room has turned (a phone turned on its side or
// back up); never for a window of the game's own.
bool roomTurned();
// The size the host last chose for the picture itself, noted across starts so
// that it is told from a size the player applied: false when none is noted.
// Noting {0, 0} forgets it. A window of the game's own notes nothing.
bool hostChoice(SDL_Point& size);
void noteHostChoice(SDL_Point size);
