#pragma once
// The objects every screen is built from, in a scratch workspace, drawing on
// a software canvas: input, text and settings loaded from the workspace.
#include "graphics/TextRenderer.h"
#include "input/InputHandler.h"
#include "settings/Settings.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"
#include "support/TestWorkspace.h"

struct ScreenRig {
    explicit ScreenRig(int width = 64, int height = 64) : canvas(width, height) {}

    SdlSession sdl;
    TestWorkspace workspace;
    SoftwareCanvas canvas;
    InputState input;
    InputHandler handler{input};
    TextRenderer text{canvas.renderer(), SDL_Color{255, 255, 255, 0}};
    Settings settings;
};
