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
    pads = {};
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
        // SDL has let go of its buttons and stick first: the player never
        // walks on alone.
        if (Pad* const pad = find(event.cdevice.which)) {
            *pad = {};
        }
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        onButton(event.cbutton);
        break;
    case SDL_CONTROLLERAXISMOTION:
        onAxis(event.caxis);
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

void Controllers::onButton(const SDL_ControllerButtonEvent& event) {
    const Pad* const pad = find(event.which);
    const int key = keyOf(event.button);
    if (pad == nullptr || key < 0) {
        return;
    }
    if (event.state == SDL_PRESSED) {
        inputState.holdKey(static_cast<InputState::Key>(key), buttonsOf(*pad));
    } else {
        inputState.releaseKey(static_cast<InputState::Key>(key), buttonsOf(*pad));
    }
}

void Controllers::onAxis(const SDL_ControllerAxisEvent& event) {
    const Pad* const pad = find(event.which);
    if (pad == nullptr) {
        return;
    }
    // SDL's axes grow rightwards and downwards.
    if (event.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        lean(InputState::Left, InputState::Right, event.value, stickOf(*pad));
    } else if (event.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        lean(InputState::Up, InputState::Down, event.value, stickOf(*pad));
    }
}

void Controllers::lean(InputState::Key less, InputState::Key more, Sint16 value,
                       InputState::Holders stick) {
    if (value < -deadZone) {
        inputState.holdKey(less, stick);
    } else {
        inputState.releaseKey(less, stick);
    }
    if (value > deadZone) {
        inputState.holdKey(more, stick);
    } else {
        inputState.releaseKey(more, stick);
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
