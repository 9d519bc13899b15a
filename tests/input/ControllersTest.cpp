// SDL's own virtual pads, plugged into the game's input: their events go
// through SDL's game-controller layer and the InputHandler into the InputState.
#include "input/InputHandler.h"
#include "support/SdlSession.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A pad with every button and axis of a controller, numbered as SDL numbers them.
class VirtualPad {
  public:
    explicit VirtualPad(Uint16 type = SDL_JOYSTICK_TYPE_GAMECONTROLLER, const char* name = "Pad") {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = type;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.name = name;
        joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        EXPECT_NE(joystick, nullptr) << SDL_GetError();
    }
    ~VirtualPad() {
        unplug();
        SDL_JoystickClose(joystick);
    }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;
    void button(SDL_GameControllerButton which, bool down) const {
        SDL_JoystickSetVirtualButton(joystick, which, down ? SDL_PRESSED : SDL_RELEASED);
    }
    void axis(SDL_GameControllerAxis which, Sint16 value) const {
        SDL_JoystickSetVirtualAxis(joystick, which, value);
    }
    void unplug() const {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == SDL_JoystickInstanceID(joystick)) {
                SDL_JoystickDetachVirtual(i);
            }
        }
    }

  private:
    SDL_Joystick* joystick = nullptr;
};

struct ControllersTest : testing::Test {
    void SetUp() override { handler.controllers.start(); }
    // The pads go first: stopping the controllers frees every joystick.
    void TearDown() override {
        pads.clear();
        handler.controllers.stop();
    }
    const VirtualPad& plug(Uint16 type = SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                           const char* name = "Pad") {
        pads.push_back(std::make_unique<VirtualPad>(type, name));
        handler.poll();
        return *pads.back();
    }
    void key(Uint32 type, SDL_Keycode code) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.sym = code;
        SDL_PushEvent(&event);
        handler.poll();
    }
    // The key's pressed and held flags after the next poll.
    std::pair<bool, bool> flags(InputState::Key which) {
        handler.poll();
        return {state.pressed[which], state.held[which]};
    }
    SdlSession sdl;
    InputState state;
    InputHandler handler{state};
    std::vector<std::unique_ptr<VirtualPad>> pads;
};

const std::pair<bool, bool> up{false, false};
const std::pair<bool, bool> down{true, true};

TEST_F(ControllersTest, DPadStickSouthAndBackAreArrowsReturnAndEscape) {
    const VirtualPad& pad = plug();
    const std::pair<SDL_GameControllerButton, InputState::Key> buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, InputState::Up},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, InputState::Down},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, InputState::Left},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, InputState::Right},
        {SDL_CONTROLLER_BUTTON_A, InputState::Return},
        {SDL_CONTROLLER_BUTTON_BACK, InputState::Escape}};
    for (const auto& [button, key] : buttons) {
        pad.button(button, true);
        EXPECT_EQ(flags(key), down) << button;
        pad.button(button, false);
        EXPECT_EQ(flags(key), up) << button;
    }
    const InputState untouched;
    pad.button(SDL_CONTROLLER_BUTTON_B, true);
    pad.button(SDL_CONTROLLER_BUTTON_START, true);
    pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    handler.poll();
    EXPECT_EQ(state.held, untouched.held);

    // Past a third of the stick's travel, and not at it.
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -Controllers::deadZone);
    EXPECT_EQ(flags(InputState::Left), up);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -Controllers::deadZone - 1);
    EXPECT_EQ(flags(InputState::Left), down);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, Controllers::deadZone + 1);
    EXPECT_EQ(flags(InputState::Left), up);
    EXPECT_EQ(flags(InputState::Right), down);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    EXPECT_EQ(flags(InputState::Up), down);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    EXPECT_EQ(flags(InputState::Up), up);
    EXPECT_EQ(flags(InputState::Down), down);
}

TEST_F(ControllersTest, KeyboardAndPadsHoldOneKeyTillTheLastLetsGoOrIsUnplugged) {
    const VirtualPad& first = plug();
    const VirtualPad& second = plug();
    key(SDL_KEYDOWN, SDLK_RIGHT);
    state.pressed[InputState::Right] = false; // a consumer takes the press
    first.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    second.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    EXPECT_EQ(flags(InputState::Right), std::make_pair(false, true));
    key(SDL_KEYUP, SDLK_RIGHT);
    first.unplug();
    EXPECT_EQ(flags(InputState::Right), std::make_pair(false, true));
    second.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(flags(InputState::Right), up);

    // Unplugged while held, a pad lets go at once; the keyboard's hold stays.
    key(SDL_KEYDOWN, SDLK_DOWN);
    second.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    second.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(flags(InputState::Return), down);
    second.unplug();
    EXPECT_EQ(flags(InputState::Return), up);
    EXPECT_EQ(flags(InputState::Down), down);
}

TEST_F(ControllersTest, UnmappablePadIsNamedOnceAndIgnored) {
    StdoutCapture out;
    const VirtualPad& pad = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, "Test Flight Stick");
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    handler.poll();
    const std::string text = out.text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find("\"Test Flight Stick\" ignored"), std::string::npos) << text;
    EXPECT_FALSE(state.held[InputState::Up]);
}

} // namespace
