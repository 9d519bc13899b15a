#include "ui/ButtonSlider.h"

#include "core/Numbers.h"

ButtonSlider::ButtonSlider(SDL_Renderer* renderer, TextRenderer& textRenderer, const char* label,
                           uint32_t initialValue, float x, float y)
    : Button(renderer, textRenderer, label, x, y), value(initialValue),
      committedValue(initialValue), knob(std::make_unique<Sprite>()) {
    knob->load(renderer, knobPath);
    sprite->width = barWidth;
    isSlider = 1;
}

bool ButtonSlider::isMouseOver(float mouseX, float mouseY) {
    if (!Button::isMouseOver(mouseX, mouseY)) {
        return false;
    }
    // Measured from the unrounded left edge; inside the box the offset is
    // above -1, so truncation keeps the value within 0..100.
    const float left = x - static_cast<float>(barWidth) / 2.0f;
    value = static_cast<uint32_t>(truncateToInt(mouseX - left));
    return true;
}

void ButtonSlider::render() {
    Button::render();
    // Not clamped: a stored value past 100 shows the knob past the bar's end.
    const float left = x - static_cast<float>(barWidth) / 2.0f;
    knob->draw(left + static_cast<float>(committedValue) - static_cast<float>(knob->width) / 2.0f,
               y - static_cast<float>(knob->height) / 2.0f);
}
