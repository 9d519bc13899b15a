#include "input/Controllers.h"

#include <cstdio>

namespace {
// Two holder bits a pad, after the keyboard's.
static_assert(2 * Controllers::capacity + 1 <= 32, "every pad needs two holder bits");

// The key a controller button stands for, or -1 for a button that does nothing.
int keyOf(Uint8 button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return InputState::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return InputState::Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return InputState::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return InputState::Right;
    case SDL_CONTROLLER_BUTTON_A:
        return InputState::Return;
    case SDL_CONTROLLER_BUTTON_BACK:
        return InputState::Escape;
    default:
        return -1;
    }
}

const char* nameOf(int deviceIndex) {
    const char* const name = SDL_JoystickNameForIndex(deviceIndex);
    return name != nullptr ? name : "(unnamed)";
}

// A pad that SDL knows no layout for is told once, with what it would take
// to give it one.
void reportUnmapped(int deviceIndex) {
    std::array<char, 33> guid{};
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(deviceIndex), guid.data(),
                              static_cast<int>(guid.size()));
    std::printf("Controller \"%s\" ignored: SDL knows no layout for it (SDL_GAMECONTROLLERCONFIG "
                "can give one for %s)\n",
                nameOf(deviceIndex), guid.data());
}
} // namespace

Controllers::Controllers(InputState& inputState) : inputState(inputState) {}

void Controllers::start() {
    // The south face button is A wherever its label says otherwise (a
    // Nintendo pad's B): the game asks for a position, not a letter.
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void Controllers::stop() {
    for (Pad& pad : pads) {
        close(pad);
    }
    // Only a part that started is stopped: stopping it also stops SDL's
    // events, which the video part still counts on otherwise.
    if (started) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        started = false;
    }
}

void Controllers::handle(const SDL_Event& event) {
    switch (event.type) {
    case SDL_JOYDEVICEADDED:
        if (SDL_IsGameController(event.jdevice.which) == SDL_FALSE) {
            reportUnmapped(event.jdevice.which);
        }
        break;
    case SDL_CONTROLLERDEVICEADDED:
        open(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (Pad* const pad = find(event.cdevice.which)) {
            close(*pad);
        }
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        onButton(event.cbutton);
        break;
    default:
        break;
    }
}

void Controllers::open(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || find(id) != nullptr) {
        return;
    }
    Pad* const pad = find(-1);
    if (pad == nullptr) {
        std::printf("Controller \"%s\" ignored: %zu controllers play already\n",
                    nameOf(deviceIndex), capacity);
        return;
    }
    pad->controller.reset(SDL_GameControllerOpen(deviceIndex));
    if (!pad->controller) {
        std::printf("Controller \"%s\" could not be opened: %s\n", nameOf(deviceIndex),
                    SDL_GetError());
        return;
    }
    pad->id = id;
}

void Controllers::readSticks() {
    // The stick is read as it stands rather than from its events: SDL's
    // browser port takes a stick's first move after the pad arrives for its
    // resting place and sends no event for it. SDL's axes grow rightwards
    // and downwards.
    for (const Pad& pad : pads) {
        if (pad.controller) {
            const Sint16 x =
                SDL_GameControllerGetAxis(pad.controller.get(), SDL_CONTROLLER_AXIS_LEFTX);
            const Sint16 y =
                SDL_GameControllerGetAxis(pad.controller.get(), SDL_CONTROLLER_AXIS_LEFTY);
            hold(InputState::Left, x < -deadZone, stickOf(pad));
            hold(InputState::Right, x > deadZone, stickOf(pad));
            hold(InputState::Up, y < -deadZone, stickOf(pad));
            hold(InputState::Down, y > deadZone, stickOf(pad));
        }
    }
}

void Controllers::close(Pad& pad) {
    // Whatever it held is let go at once: the player never walks on alone.
    for (int key = 0; key < InputState::KeyCount; ++key) {
        hold(static_cast<InputState::Key>(key), false, buttonsOf(pad) | stickOf(pad));
    }
    pad = {};
}

void Controllers::onButton(const SDL_ControllerButtonEvent& event) {
    const Pad* const pad = find(event.which);
    const int key = keyOf(event.button);
    if (pad != nullptr && key >= 0) {
        hold(static_cast<InputState::Key>(key), event.state == SDL_PRESSED, buttonsOf(*pad));
    }
}

void Controllers::hold(InputState::Key key, bool down, InputState::Holders holder) {
    if (down) {
        inputState.holdKey(key, holder);
    } else {
        inputState.releaseKey(key, holder);
    }
}

Controllers::Pad* Controllers::find(SDL_JoystickID id) {
    for (Pad& pad : pads) {
        if (pad.id == id) {
            return &pad;
        }
    }
    return nullptr;
}

InputState::Holders Controllers::buttonsOf(const Pad& pad) const {
    return InputState::keyboard << (1 + 2 * static_cast<std::size_t>(&pad - pads.data()));
}

InputState::Holders Controllers::stickOf(const Pad& pad) const {
    return buttonsOf(pad) << 1;
}
