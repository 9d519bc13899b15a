// SDL's own virtual pads plugged into the game's input: their events go
// through SDL's game-controller layer and the InputHandler to the InputState.
#include "input/InputHandler.h"
#include "support/SdlSession.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

namespace {

using Flags = std::pair<bool, bool>; // pressed, held
const Flags up{false, false};
const Flags down{true, true};

struct ControllersTest : testing::Test {
    void SetUp() override { handler.controllers.start(); }
    // Stopping the controllers closes the test's pads too.
    void TearDown() override { handler.controllers.stop(); }
    // A pad with every button and axis of a controller, numbered as SDL's are.
    SDL_Joystick* plug(Uint16 type = SDL_JOYSTICK_TYPE_GAMECONTROLLER, const char* name = "Pad") {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = type;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.button_mask = desc.axis_mask = ~0u;
        desc.name = name;
        SDL_Joystick* const pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        handler.poll();
        return pad;
    }
    // The pad's button that SDL's layout for it calls `button`: SDL's own
    // numbering on the desktop, the browser's standard layout in a page.
    static void set(SDL_Joystick* pad, SDL_GameControllerButton button, Uint8 state) {
        SDL_GameController* const controller =
            SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(pad));
        SDL_JoystickSetVirtualButton(
            pad, SDL_GameControllerGetBindForButton(controller, button).value.button, state);
    }
    Flags after(InputState::Key key) {
        handler.poll();
        return {state.pressed[key], state.held[key]};
    }
    static void push(Uint32 type, SDL_Keycode code) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.sym = code;
        SDL_PushEvent(&event);
    }
    SdlSession sdl;
    InputState state;
    InputHandler handler{state};
};

TEST_F(ControllersTest, DPadStickSouthAndBackAreArrowsReturnAndEscape) {
    SDL_Joystick* const pad = plug();
    const std::pair<SDL_GameControllerButton, InputState::Key> buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, InputState::Up},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, InputState::Down},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, InputState::Left},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, InputState::Right},
        {SDL_CONTROLLER_BUTTON_A, InputState::Return},
        {SDL_CONTROLLER_BUTTON_BACK, InputState::Escape}};
    for (const auto& [button, key] : buttons) {
        set(pad, button, SDL_PRESSED);
        EXPECT_EQ(after(key), down) << button;
        set(pad, button, SDL_RELEASED);
        EXPECT_EQ(after(key), up) << button;
    }
    set(pad, SDL_CONTROLLER_BUTTON_B, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -Controllers::deadZone);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, Controllers::deadZone);
    handler.poll();
    EXPECT_EQ(state.held, InputState().held);
    // Past a third of the stick's travel, either way.
    const std::tuple<int, Sint16, InputState::Key> leans[] = {
        {SDL_CONTROLLER_AXIS_LEFTX, -Controllers::deadZone - 1, InputState::Left},
        {SDL_CONTROLLER_AXIS_LEFTX, Controllers::deadZone + 1, InputState::Right},
        {SDL_CONTROLLER_AXIS_LEFTY, -32768, InputState::Up},
        {SDL_CONTROLLER_AXIS_LEFTY, 32767, InputState::Down}};
    for (const auto& [axis, value, key] : leans) {
        SDL_JoystickSetVirtualAxis(pad, axis, value);
        EXPECT_EQ(after(key), down) << value;
        SDL_JoystickSetVirtualAxis(pad, axis, 0);
        EXPECT_EQ(after(key), up) << value;
    }
}

TEST_F(ControllersTest, KeyboardAndPadsHoldOneKeyTillTheLastLetsGoOrIsUnplugged) {
    SDL_Joystick* const first = plug();
    SDL_Joystick* const second = plug();
    push(SDL_KEYDOWN, SDLK_RIGHT);
    handler.poll();
    state.pressed[InputState::Right] = false; // a consumer takes the press
    set(first, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    EXPECT_EQ(after(InputState::Right), Flags(false, true));
    push(SDL_KEYUP, SDLK_RIGHT);
    SDL_JoystickDetachVirtual(0); // the first pad, unplugged while held
    EXPECT_EQ(after(InputState::Right), Flags(false, true));
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(after(InputState::Right), up);

    push(SDL_KEYDOWN, SDLK_DOWN);
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTY, 32767);
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    set(second, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    EXPECT_EQ(after(InputState::Left), down);
    EXPECT_EQ(after(InputState::Return), down);
    SDL_JoystickDetachVirtual(0);
    EXPECT_EQ(after(InputState::Left), up);
    EXPECT_EQ(after(InputState::Return), up);
    EXPECT_EQ(after(InputState::Down), down);
}

TEST_F(ControllersTest, UnmappablePadIsNamedOnceAndIgnored) {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "in a page SDL maps every pad with the browser's standard layout";
#endif
    StdoutCapture out;
    SDL_JoystickSetVirtualButton(plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, "Test Stick"), 11,
                                 SDL_PRESSED);
    handler.poll();
    const std::string text = out.text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find("\"Test Stick\" ignored"), std::string::npos) << text;
    EXPECT_EQ(state.held, InputState().held);
}

} // namespace
