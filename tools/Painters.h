#pragma once
// One function per bitmap the game loads from Resources/Assets, and the icon.
#include "Image.h"

// Menu button background; stretched sideways by the game, tinted green when selected.
Image paintButton();

// Knob drawn over a slider's bar.
Image paintSliderKnob();

// Floor tile, drawn at a 128-pixel pitch; its edges meet without seams.
Image paintFloorTile();

// Player sheet: 4 rows (left, up, right, down) of 4 walk frames of 25 x 32.
Image paintPlayerSheet();

// Small soft dot for the particle field.
Image paintParticle();

// The desktop icon, `size` pixels square: the player standing on the floor
// inside a rounded frame. Sizes from 16 up.
Image paintIcon(int size);

// The Windows installer's welcome and finish pages' picture, 164 x 314: the
// icon on the floor it is made of.
Image paintInstallerPicture();
