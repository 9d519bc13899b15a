#pragma once
// A 0..100 slider: a 100-pixel bar with a knob. The pending `value` follows
// the mouse over the bar; the knob shows `committedValue`, which the owning
// menu copies from `value` when the slider is activated.
#include "ui/Button.h"

#include <cstdint>

class ButtonSlider final : public Button {
  public:
    static constexpr const char* knobPath = "Resources/Assets/Slider.bmp";
    static constexpr int barWidth = 100;

    ButtonSlider(SDL_Renderer* renderer, TextRenderer& textRenderer, const char* label,
                 uint32_t initialValue, float x, float y);

    // The button's hit test; a hit also sets `value` from the mouse.
    bool isMouseOver(float mouseX, float mouseY) override;
    void render() override;

    uint32_t value;
    uint32_t committedValue;
    std::unique_ptr<Sprite> knob;
};
