#pragma once
// Music and effects volume sliders, a resolution chooser, a full-screen
// toggle, "Apply" and "Back". Every activation saves the settings file.
#include "ui/ButtonSlider.h"
#include "ui/Menu.h"

#include <utility>

class OptionsMenu final : public Menu {
  public:
    enum Control { MusicSlider, FxSlider, Resolution, FullScreen, Apply, Back, ControlCount };
    // Index of the entry that stands for the current window size.
    static constexpr int currentSizeIndex = 16;

    OptionsMenu(SDL_Renderer* renderer, InputState& inputState, InputHandler& inputHandler,
                TextRenderer& textRenderer, Settings& settings);

    void activate() override;
    void select(int index) override { selected = index; }
    int selectedIndex() override { return selected; }
    void update() override { navigate(); }
    void render() override;

    // Lays the six controls out for the current window size.
    void buildControls();
    // After the display mode was applied: the controls laid out again and
    // labelled from the settings.
    void rebuildControls();
    // Shows the pending resolution on the Resolution control.
    void updateResolutionLabel();
    // Entries 0..15 are fixed sizes; entry 16 is the current window size.
    std::pair<float, float> resolutionAt(int index) const;

    // The two sliders among the controls, owned by `buttons`.
    ButtonSlider* musicSlider = nullptr;
    ButtonSlider* fxSlider = nullptr;
    bool closeRequested = false;
    int resolutionIndex = currentSizeIndex;
    float pendingWidth = 0.0f;
    float pendingHeight = 0.0f;

  private:
    static void commitSlider(ButtonSlider& slider, uint32_t& setting);
    void toggleFullScreen();
    void applyResolution();
};
