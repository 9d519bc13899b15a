#include "ui/Button.h"

#include "core/Numbers.h"

Button::Button(SDL_Renderer* renderer, TextRenderer& textRenderer, const char* label, float x,
               float y)
    : renderer(renderer), textRenderer(textRenderer), sprite(std::make_unique<Sprite>()), x(x),
      y(y), label(label) {
    sprite->load(renderer, bitmapPath);
    const TextSize size = TextRenderer::measureText(label);
    labelWidth = static_cast<float>(size.width);
    labelHeight = static_cast<float>(size.height);
    // 16 pixels of background either side of the label.
    sprite->width = static_cast<int>(labelWidth) + 32;
}

bool Button::isMouseOver(float mouseX, float mouseY) {
    const float halfWidth = static_cast<float>(sprite->width) / 2.0f;
    const float halfHeight = static_cast<float>(sprite->height) / 2.0f;
    const auto left = static_cast<float>(truncateToInt(x - halfWidth));
    const auto right = static_cast<float>(truncateToInt(x + halfWidth));
    const auto top = static_cast<float>(truncateToInt(y - halfHeight));
    const auto bottom = static_cast<float>(truncateToInt(y + halfHeight));
    return left <= mouseX && mouseX <= right && top <= mouseY && mouseY <= bottom;
}

void Button::render() {
    sprite->draw(x - static_cast<float>(sprite->width) / 2.0f,
                 y - static_cast<float>(sprite->height) / 2.0f);
    textRenderer.drawText(label.c_str(), x - labelWidth / 2.0f, y - labelHeight / 2.0f);
}

void Button::setLabel(const char* text) {
    label = text;
}
