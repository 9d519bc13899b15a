#pragma once
// The game controllers that are plugged in, each opened as SDL reports it and
// played as one more keyboard on the InputState: the D-pad and the left stick
// are the arrow keys, the south face button is Return and Back (View,
// Select) is Escape; the other buttons do nothing.
#include "input/InputState.h"

#include <SDL.h>

#include <array>
#include <cstddef>
#include <memory>

class Controllers {
  public:
    // Controllers that play at once; any more are ignored, each with a line.
    static constexpr std::size_t capacity = 8;
    // How far the left stick leans (of 32767) before it is an arrow key: a
    // third of its travel, so that a stick at rest never walks.
    static constexpr Sint16 deadZone = 32767 / 3;

    explicit Controllers(InputState& inputState);

    // Starts SDL's game-controller part, once SDL itself is up; where it
    // cannot start, the game plays on keys and mouse alone, silently.
    void start();
    // Closes every controller and stops the part; before SDL itself quits,
    // which would free them under us.
    void stop();
    // Takes one of SDL's controller events, or a joystick's arrival (an
    // unmappable one is named on the console); ignores any other event.
    void handle(const SDL_Event& event);
    // Holds or lets go of the arrow keys as the pads' left sticks lean now.
    void readSticks();

  private:
    struct Closer {
        void operator()(SDL_GameController* controller) const {
            SDL_GameControllerClose(controller);
        }
    };
    // A slot with no controller (id -1) is free.
    struct Pad {
        std::unique_ptr<SDL_GameController, Closer> controller;
        SDL_JoystickID id = -1;
    };

    void open(int deviceIndex);
    // Lets go of what the pad holds and closes it, emptying its slot.
    void close(Pad& pad);
    void onButton(const SDL_ControllerButtonEvent& event);
    // `holder` holds the key, or lets go of it.
    void hold(InputState::Key key, bool down, InputState::Holders holder);
    // The open pad with SDL's instance id, or none.
    Pad* find(SDL_JoystickID id);
    // The holders of a pad's keys: its buttons, and its stick apart, so that
    // the stick coming back to rest lets go only of what it leaned to.
    InputState::Holders buttonsOf(const Pad& pad) const;
    InputState::Holders stickOf(const Pad& pad) const;

    InputState& inputState;
    std::array<Pad, capacity> pads;
    bool started = false;
};
